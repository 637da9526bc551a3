#pragma once

#include <QFrame>
#include <QList>
#include <QString>
#include <QStringList>

class QScrollArea;
class QToolButton;
class QVBoxLayout;

namespace tamrex {

// What the window has to say about the count on show, one message to a line, in the
// room the fixed layout leaves under "Select an example file", so that it covers neither
// picture. Hidden while there is nothing to say; the x puts the messages away until they
// change. Too many for the room scroll.
class NoticeBoard : public QFrame {
    Q_OBJECT

public:
    enum class Tone { kNote, kWarning };
    struct Notice {
        QString text;
        Tone tone = Tone::kNote;
        bool operator==(const Notice&) const = default;
    };

    explicit NoticeBoard(QWidget* parent = nullptr);

    // Replaces the messages; ones put away come back if anything changed.
    void ShowNotices(const QList<Notice>& notices);
    void PutAway();
    // The messages a person can see now: none while they are put away.
    QStringList Messages() const;

private:
    void Fill();

    QList<Notice> notices;
    bool putAway = false;
    QScrollArea* scroll = nullptr;
    QVBoxLayout* lines = nullptr;
    QToolButton* close = nullptr;
};

}  // namespace tamrex
