#include "ui/main/song_list.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

#include "ui/main/skin_style.h"

namespace vesk::ui {

bool isCtrlAlone(Qt::KeyboardModifiers modifiers) {
    return (modifiers & ~Qt::KeypadModifier) == Qt::ControlModifier;
}

SongList::SongList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragEnabled(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideRight);
    setFont(skinFont(12));
}

int SongList::selectedLine() const {
    const QList<QListWidgetItem*> items = selectedItems();
    return items.isEmpty() ? -1 : row(items.first());
}

void SongList::selectLine(int line) {
    if (line >= 0 && line < count()) {
        setCurrentRow(line, QItemSelectionModel::ClearAndSelect);
        scrollToItem(item(line));
    } else {
        clearSelection();
    }
}

void SongList::mousePressEvent(QMouseEvent* event) {
    // The list selects the line under the pointer first; the press then reads it.
    QListWidget::mousePressEvent(event);
    if (onPress) {
        onPress(selectedLine());
    }
}

void SongList::mouseReleaseEvent(QMouseEvent* event) {
    QListWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && onLeftRelease) {
        onLeftRelease(selectedLine());
    } else if (event->button() == Qt::RightButton && onRightRelease) {
        onRightRelease(event->globalPosition().toPoint());
    }
}

void SongList::mouseDoubleClickEvent(QMouseEvent* event) {
    QListWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && onDoubleClick) {
        onDoubleClick(selectedLine());
    }
}

void SongList::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (enter && count() > 0) {
        if (onEnter) {
            onEnter(selectedLine());
        }
        return;
    }
    if (isCtrlAlone(event->modifiers())) {
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            if (onCtrlArrow && onCtrlArrow(key == Qt::Key_Up)) {
                return;
            }
            // Refused: the plain arrow's own movement.
            QKeyEvent plain(QEvent::KeyPress, key, Qt::NoModifier);
            QListWidget::keyPressEvent(&plain);
            return;
        }
        if (onCtrlKey) {
            onCtrlKey(event);
        }
        return;
    }
    QListWidget::keyPressEvent(event);
}

QStringList SongList::droppedPaths(const QMimeData* data) {
    QStringList paths;
    if (data == nullptr || !data->hasUrls()) {
        return paths;
    }
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) {
            return {};
        }
        QString path = url.toLocalFile();
        while (path.size() > 1 && path.endsWith(u'/')) {
            path.chop(1);
        }
        if (!path.isEmpty()) {
            paths.append(path);
        }
    }
    return paths;
}

void SongList::dragEnterEvent(QDragEnterEvent* event) {
    if (droppedPaths(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void SongList::dragMoveEvent(QDragMoveEvent* event) {
    if (droppedPaths(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void SongList::dropEvent(QDropEvent* event) {
    const QStringList paths = droppedPaths(event->mimeData());
    if (paths.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    if (onDrop) {
        onDrop(paths);
    }
}

}  // namespace vesk::ui
