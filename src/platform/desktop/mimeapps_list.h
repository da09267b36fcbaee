#pragma once
// A key file in the form of mimeapps.list ("[Group]" lines and "key=value" lines). Lines
// the player does not change are written back byte for byte, comments, blank lines,
// unknown groups and undecodable bytes included.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace vesk::platform::desktop {

inline constexpr char DefaultApplicationsGroup[] = "Default Applications";
inline constexpr char AddedAssociationsGroup[] = "Added Associations";
inline constexpr char RemovedAssociationsGroup[] = "Removed Associations";

class MimeAppsList {
  public:
    static MimeAppsList parse(const QByteArray& bytes);
    QByteArray serialize() const;

    // The value of the first line of `key` in the group (a group name may appear more than
    // once). Unset when absent.
    std::optional<QString> value(const QString& group, const QString& key) const;
    // Replaces the key's first line (dropping its repeats), or adds the line at the end of
    // the group, adding the group at the end of the file when it is missing.
    void setValue(const QString& group, const QString& key, const QString& value);
    // Removes every line of the key in the group; false when there was none.
    bool remove(const QString& group, const QString& key);

  private:
    struct Line {
        QByteArray raw;    // as read, without the "\n" (a "\r" before it stays)
        QByteArray group;  // the group the line belongs to (for a header: its own name)
        QByteArray key;    // trimmed key of a "key=value" line; empty otherwise
        bool header = false;
    };
    static Line makeLine(const QByteArray& raw, const QByteArray& currentGroup);
    int groupEnd(const QByteArray& group) const;

    std::vector<Line> lines_;
    bool endsWithBreak_ = true;
    bool crlf_ = false;  // new lines follow the file's line ends
};

// The entries of a list value "a;b;c;", without empty pieces.
QStringList splitDesktopList(const QString& value);
QString joinDesktopList(const QStringList& ids);

}  // namespace vesk::platform::desktop
