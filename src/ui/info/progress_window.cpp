#include "ui/info/progress_window.h"

#include <QLabel>

#include "platform/file_path.h"
#include "ui/info/elided_label.h"
#include "ui/info/info_look.h"

namespace vesk::ui {
namespace {

using info::px;
using info::twipsRect;

// Caption labels end here; values start at ValueLeft and are ValueWidth wide (twips).
constexpr int CaptionRight = 915;
constexpr int ValueLeft = 960;
constexpr int ValueWidth = 5325;
constexpr int RowHeight = 270;

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
    label->setGeometry(QRect(0, px(top), px(CaptionRight), px(RowHeight)));

    auto* value = new ElidedLabel(window);
    value->setObjectName(QLatin1String(valueName));
    value->setFont(info::uiFont(12));
    value->setGeometry(twipsRect(ValueLeft, top, ValueWidth, RowHeight));
    return value;
}

}  // namespace

F_2::F_2(QWidget* owner)
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::MSWindowsFixedSizeDialogHint) {
    setWindowTitle(QStringLiteral("ファイルの解析中…"));
    setFixedSize(px(6315), px(915));
    info::applyDarkSkin(*this);
    path_ = addRow(this, 30, "書庫名：", "L1", "lbl_Path");
    file_ = addRow(this, 330, "ファイル名：", "L2", "lbl_File");
    title_ = addRow(this, 630, "タイトル：", "L3", "lbl_Title");
    info::keepAbove(*this, owner);
}

void F_2::showEntry(const intake::SongEntry& entry) {
    path_->setText(platform::displayPath(entry.container));
    file_->setText(platform::displayPath(entry.name));
    title_->setText(entry.title);
}

QString F_2::pathText() const {
    return path_->text();
}

QString F_2::fileText() const {
    return file_->text();
}

QString F_2::titleText() const {
    return title_->text();
}

}  // namespace vesk::ui
