#pragma once
// One row of the file-information table: a single text "word  value" drawn with the word
// ending just left of the table's rule and the value starting just right of it.

#include <QString>
#include <QWidget>

namespace vesk::ui {

class InfoRow final : public QWidget {
    Q_OBJECT
  public:
    // `ruleX`: the rule's position in this widget's coordinates.
    InfoRow(const QString& text, int ruleX, QWidget* parent);

    void setText(const QString& text);
    QString text() const { return text_; }

    // The text up to the first two blanks, and what follows them ("" when there are none).
    QString word() const;
    QString value() const;

    // Where the word ends and the value begins as drawn, in this widget's coordinates.
    int wordRight() const;
    int valueLeft() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString text_;
    int ruleX_;
};

}  // namespace vesk::ui
