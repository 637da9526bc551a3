#include "window/NoticeBoard.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

namespace tamrex {
namespace {

const QColor kWarningRed(192, 0, 0);

}  // namespace

NoticeBoard::NoticeBoard(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("Notices"));
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setBackgroundRole(QPalette::ToolTipBase);
    setAutoFillBackground(true);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(3, 2, 1, 2);
    layout->setSpacing(2);
    scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus);  // Tab goes through the drawn controls only
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->viewport()->setAutoFillBackground(false);
    auto* content = new QWidget(scroll);
    content->setAutoFillBackground(false);
    lines = new QVBoxLayout(content);
    lines->setContentsMargins(0, 0, 0, 0);
    lines->setSpacing(3);
    scroll->setWidget(content);
    layout->addWidget(scroll, 1);

    close = new QToolButton(this);
    close->setObjectName(QStringLiteral("PutNoticesAway"));
    close->setText(QStringLiteral("\u00d7"));
    close->setAutoRaise(true);
    close->setFocusPolicy(Qt::NoFocus);
    close->setToolTip(QStringLiteral("Put these notices away; they come back when they change"));
    connect(close, &QToolButton::clicked, this, &NoticeBoard::PutAway);
    layout->addWidget(close, 0, Qt::AlignTop);
    hide();
}

void NoticeBoard::ShowNotices(const QList<Notice>& shown) {
    if (shown == notices) return;
    notices = shown;
    putAway = false;
    Fill();
}

void NoticeBoard::PutAway() {
    putAway = true;
    hide();
}

QStringList NoticeBoard::Messages() const {
    QStringList messages;
    if (putAway) return messages;
    for (const Notice& notice : notices) messages << notice.text;
    return messages;
}

void NoticeBoard::Fill() {
    while (QLayoutItem* item = lines->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (const Notice& notice : notices) {
        auto* label = new QLabel(notice.text, scroll->widget());
        label->setTextFormat(Qt::PlainText);  // a file name with '<' in it is no markup
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        // On the board's tooltip colour a label would take the tooltip's text colour.
        label->setForegroundRole(QPalette::WindowText);
        if (notice.tone == Tone::kWarning) {
            QPalette colours = label->palette();
            colours.setColor(QPalette::WindowText, kWarningRed);
            label->setPalette(colours);
        }
        lines->addWidget(label);
    }
    lines->addStretch(1);
    setVisible(!notices.isEmpty() && !putAway);
}

}  // namespace tamrex
