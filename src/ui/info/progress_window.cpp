#include "ui/info/progress_window.h"

#include <QLabel>

#include "platform/file_path.h"
#include "ui/info/elided_label.h"
#include "ui/info/info_look.h"

namespace vesk::ui {
namespace {

// Caption labels end here; values start at ValueLeft and are ValueWidth wide (pixels).
constexpr int CaptionRight = 61;
constexpr int ValueLeft = 64;
constexpr int ValueWidth = 355;
constexpr int RowHeight = 18;

ElidedLabel* addRow(QWidget* window, int top, const char* caption, const char* captionName,
                    const char* valueName) {
    auto* label = new QLabel(QString::fromUtf8(caption), window);
    label->setObjectName(QLatin1String(captionName));
    // Six wide characters have to fit the caption column.
    label->setFont(info::uiFont(10));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QPalette muted = label->palette();
    muted.setColor(QPalette::WindowText, info::colors::Muted);
    label->setPalette(muted);
    label->setGeometry(QRect(0, top, CaptionRight, RowHeight));

    auto* value = new ElidedLabel(window);
    value->setObjectName(QLatin1String(valueName));
    value->setFont(info::uiFont(12));
    value->setGeometry(QRect(ValueLeft, top, ValueWidth, RowHeight));
    return value;
}

}  // namespace

ProgressWindow::ProgressWindow(QWidget* owner)
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::MSWindowsFixedSizeDialogHint) {
    setWindowTitle(QStringLiteral("ファイルの解析中…"));
    setFixedSize(421, 61);
    info::applyDarkSkin(*this);
    path_ = addRow(this, 2, "書庫名：", "L1", "lbl_Path");
    file_ = addRow(this, 22, "ファイル名：", "L2", "lbl_File");
    title_ = addRow(this, 42, "タイトル：", "L3", "lbl_Title");
    info::keepAbove(*this, owner);
}

void ProgressWindow::showEntry(const intake::SongEntry& entry) {
    path_->setText(platform::displayPath(entry.container));
    file_->setText(platform::displayPath(entry.name));
    title_->setText(entry.title);
}

}  // namespace vesk::ui
