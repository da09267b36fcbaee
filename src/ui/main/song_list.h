#pragma once
// SongList: the list box of the main window. It reports what the window acts on (presses,
// releases, double clicks, Enter, Ctrl with a key, dropped paths) and leaves the
// decisions to the window.

#include <QListWidget>
#include <QStringList>
#include <functional>

namespace vesk::ui {

class SongList final : public QListWidget {
    Q_OBJECT
  public:
    explicit SongList(QWidget* parent);

    // The selected line, -1 when none.
    int selectedLine() const;
    void selectLine(int line);

    // Set by the window.
    std::function<void(int line)> onPress;
    std::function<void(int line)> onLeftRelease;
    std::function<void(QPoint globalPos)> onRightRelease;
    std::function<void(int line)> onDoubleClick;
    std::function<void(int line)> onEnter;
    // Ctrl with Up (`up` true) or Down; true when the selected entry was moved.
    std::function<bool(bool up)> onCtrlArrow;
    // Ctrl with any other key; true when the window acted on it.
    std::function<bool(QKeyEvent* event)> onCtrlKey;
    std::function<void(const QStringList& paths)> onDrop;

    // The local paths a drag carries, in order; empty when it carries anything else.
    static QStringList droppedPaths(const QMimeData* data);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

// Ctrl held alone (the keypad flag aside): not with Shift, Alt or Meta.
bool isCtrlAlone(Qt::KeyboardModifiers modifiers);

}  // namespace vesk::ui
