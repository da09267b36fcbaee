#include "ui/main/loop_menu.h"

#include <QActionGroup>

#include "player/player.h"

namespace vesk::ui {

LoopMenu::LoopMenu(QMenu& parent, player::Player& player) : player_(player) {
    menu_ = parent.addMenu(QStringLiteral("ループ再生(&P)"));
    menu_->setObjectName(QStringLiteral("mnu_Loop"));
    auto* group = new QActionGroup(menu_);
    for (std::size_t passes = 0; passes < countActions_.size(); ++passes) {
        QAction* action = menu_->addAction(
            passes == 0 ? QStringLiteral("ループしない(&0)")
                        : QStringLiteral("%1回ループしてフェードアウト(&%1)").arg(passes));
        action->setObjectName(QStringLiteral("mnu_Loop%1").arg(passes));
        action->setCheckable(true);
        group->addAction(action);
        QObject::connect(action, &QAction::triggered, menu_, [this, passes] {
            player_.loopsCommand(static_cast<int>(passes));
            sync();
        });
        countActions_[passes] = action;
    }
    menu_->addSeparator()->setObjectName(QStringLiteral("mnu_LoopSin"));
    alwaysAction_ = menu_->addAction(QStringLiteral("1曲リピート以外でもループ(&A)"));
    alwaysAction_->setObjectName(QStringLiteral("mnu_LoopAlways"));
    alwaysAction_->setCheckable(true);
    QObject::connect(alwaysAction_, &QAction::triggered, menu_, [this] {
        player_.loopAlwaysCommand();
        sync();
    });
    menu_->setToolTipsVisible(true);
    menu_->setToolTip(QStringLiteral("ループ位置のある曲 (Ctrl+P で回数を切り替え)"));
}

void LoopMenu::sync() {
    const int passes = player_.loops();
    for (std::size_t i = 0; i < countActions_.size(); ++i) {
        countActions_[i]->setChecked(static_cast<int>(i) == passes);
    }
    alwaysAction_->setChecked(player_.loopAlways());
    alwaysAction_->setEnabled(passes != 0);
    menu_->setTitle(passes == 0 ? QStringLiteral("ループ再生(&P)")
                                : QStringLiteral("ループ再生 ×%1(&P)").arg(passes));
}

}  // namespace vesk::ui
