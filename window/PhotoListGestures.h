#pragma once

#include <QObject>

class QKeyEvent;
class QListWidget;
class QMouseEvent;

namespace tamrex {

// What the photo list does beyond counting the entry selected: Enter or a click on the
// selected entry asks for it to be counted again, and Down in a list where nothing is
// selected yet selects the first entry rather than the second.
class PhotoListGestures : public QObject {
    Q_OBJECT

public:
    // Watches the list from now on; owned by it.
    explicit PhotoListGestures(QListWidget* list);

signals:
    void countAgain();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool OnKey(const QKeyEvent& event);
    void OnPress(const QMouseEvent& event);
    void OnRelease(const QMouseEvent& event);

    QListWidget* list;
    QWidget* viewport;
    bool pressOnSelected = false;  // the left button went down on the entry already selected
};

}  // namespace tamrex
