#include "ui/info/window_block.h"

namespace vesk::ui {

WindowBlock::WindowBlock(QWidget* window) : window_(window) {
    if (window_) {
        window_->setEnabled(false);
    }
}

WindowBlock::~WindowBlock() {
    release();
}

void WindowBlock::release() {
    if (window_) {
        window_->setEnabled(true);
    }
    window_.clear();
}

}  // namespace vesk::ui
