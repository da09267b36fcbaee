#include "ui/common/qt_user_interaction.h"

#include <QApplication>
#include <QMessageBox>

namespace vesk::ui {

platform::MessageAnswer QtUserInteraction::showMessage(const QString& text,
                                                       platform::MessageIcon icon,
                                                       platform::MessageButtons buttons,
                                                       const QString& caption) {
    using platform::MessageAnswer;
    using platform::MessageButtons;
    using platform::MessageIcon;
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(caption.isEmpty() ? appTitle_ : caption);
    box.setText(text);
    switch (icon) {
        case MessageIcon::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
        case MessageIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MessageIcon::Exclamation:
            box.setIcon(QMessageBox::Warning);
            break;
        case MessageIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
    }
    switch (buttons) {
        case MessageButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case MessageButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        case MessageButtons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
    }
    switch (box.exec()) {
        case QMessageBox::Yes:
            return MessageAnswer::Yes;
        case QMessageBox::No:
            return MessageAnswer::No;
        case QMessageBox::Cancel:
            return MessageAnswer::Cancel;
        default:
            return MessageAnswer::Ok;
    }
}

void QtUserInteraction::processEvents() {
    QApplication::processEvents();
}

}  // namespace vesk::ui
