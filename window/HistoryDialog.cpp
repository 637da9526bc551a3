#include "window/HistoryDialog.h"

#include "base/Quoted.h"
#include "window/PathText.h"

#include <QDateEdit>
#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <utility>

namespace tamrex {
namespace {

enum Column { kWhen, kPhoto, kWhat, kSecond, kFlags, kWho, kColumns };
enum Role { kPhotoRole = Qt::UserRole, kDayRole, kCountIndexRole, kCorrectionRole };

QDate DayOf(std::int64_t unixMs) { return QDateTime::fromMSecsSinceEpoch(unixMs).date(); }

QString Text(const std::string& text) { return QString::fromStdString(text); }

QString WhatOf(const CountRecord& count, const LoggedCorrection* correction) {
    if (correction) return QStringLiteral("accepted %1").arg(correction->acceptedCount);
    if (!count.count) return QStringLiteral("not counted: %1").arg(Text(count.error));
    return QStringLiteral("count %1").arg(*count.count);
}

}  // namespace

HistoryDialog::HistoryDialog(const std::filesystem::path& logFile, const std::filesystem::path& folder,
                             QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("History"));
    setWindowTitle(QStringLiteral("History: %1").arg(ToText(folder.filename().empty() ? folder : folder.filename())));
    auto* layout = new QVBoxLayout(this);

    auto* filters = new QHBoxLayout;
    filters->addWidget(new QLabel(QStringLiteral("From"), this));
    fromDay = new QDateEdit(this);
    toDay = new QDateEdit(QDate::currentDate(), this);
    for (QDateEdit* day : {fromDay, toDay}) {
        day->setCalendarPopup(true);
        day->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        connect(day, &QDateEdit::dateChanged, this, &HistoryDialog::ApplyFilters);
    }
    filters->addWidget(fromDay);
    filters->addWidget(new QLabel(QStringLiteral("to"), this));
    filters->addWidget(toDay);
    nameFilter = new QLineEdit(this);
    nameFilter->setObjectName(QStringLiteral("NameFilter"));
    nameFilter->setPlaceholderText(QStringLiteral("Photo name contains..."));
    nameFilter->setClearButtonEnabled(true);
    connect(nameFilter, &QLineEdit::textChanged, this, &HistoryDialog::ApplyFilters);
    filters->addWidget(nameFilter, 1);
    layout->addLayout(filters);

    table = new QTableWidget(0, kColumns, this);
    table->setHorizontalHeaderLabels({QStringLiteral("When"), QStringLiteral("Photo"), QStringLiteral("Count"),
                                      QStringLiteral("Second look"), QStringLiteral("Check"), QStringLiteral("Who")});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    connect(table, &QTableWidget::cellDoubleClicked, this,
            [this](int row) { emit photoChosen(table->item(row, kPhoto)->data(kPhotoRole).toString()); });
    layout->addWidget(table, 1);

    total = new QLabel(this);
    total->setObjectName(QStringLiteral("Total"));
    layout->addWidget(total);
    source = new QLabel(this);
    source->setTextFormat(Qt::PlainText);
    source->setWordWrap(true);
    layout->addWidget(source);

    Load(logFile, folder);
    resize(900, 500);
}

QString HistoryDialog::TotalText() const { return total->text(); }

void HistoryDialog::Load(const std::filesystem::path& logFile, const std::filesystem::path& folder) {
    source->setText(QStringLiteral("From the count log %1; double-click a row to review that photo.")
                        .arg(ToText(Quoted(logFile))));
    LogFilter inFolder;
    inFolder.folder = folder;
    Expected<CountLog> log = CountLog::OpenForReading(logFile);
    Expected<std::vector<LoggedCount>> found = tl::unexpected(Failure{});
    found = log ? log->Find(inFolder) : Expected<std::vector<LoggedCount>>(tl::unexpected(log.error()));
    if (!found) {
        source->setText(QStringLiteral("Cannot read the count log %1: %2.")
                            .arg(ToText(Quoted(logFile)), Text(found.error().message)));
        return;
    }
    counts = std::move(*found);
    // Newest first, corrections among the counts at the time they were accepted.
    std::vector<std::pair<std::int64_t, std::pair<std::size_t, int>>> rows;  // when, (count, correction or -1)
    for (std::size_t i = 0; i < counts.size(); ++i) {
        rows.push_back({counts[i].record.when.unixMs, {i, -1}});
        for (std::size_t c = 0; c < counts[i].corrections.size(); ++c)
            rows.push_back({counts[i].corrections[c].when.unixMs, {i, static_cast<int>(c)}});
    }
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (const auto& [when, which] : rows) {
        const LoggedCount& count = counts[which.first];
        AddRow(count, which.second < 0 ? nullptr : &count.corrections[static_cast<std::size_t>(which.second)]);
        table->item(table->rowCount() - 1, kPhoto)->setData(kCountIndexRole, static_cast<qulonglong>(which.first));
    }
    if (!counts.empty()) fromDay->setDate(DayOf(counts.front().record.when.unixMs));
    toDay->setDate(std::max(QDate::currentDate(), counts.empty() ? QDate::currentDate()
                                                                 : DayOf(counts.back().record.when.unixMs)));
    table->resizeColumnsToContents();
    ApplyFilters();
}

void HistoryDialog::AddRow(const LoggedCount& count, const LoggedCorrection* correction) {
    const CountRecord& record = count.record;
    const int row = table->rowCount();
    table->insertRow(row);
    const auto set = [&](int column, const QString& text) {
        auto* item = new QTableWidgetItem(text);
        table->setItem(row, column, item);
        return item;
    };
    set(kWhen, Text(correction ? correction->when.local : record.when.local))
        ->setData(kDayRole, DayOf(correction ? correction->when.unixMs : record.when.unixMs));
    QTableWidgetItem* photo = set(kPhoto, ToText(record.photo.filename()));
    photo->setData(kPhotoRole, ToText(record.photo.filename()));
    photo->setData(kCorrectionRole, correction != nullptr);
    set(kWhat, WhatOf(record, correction));
    set(kSecond, record.secondCount ? QString::number(*record.secondCount) : QStringLiteral("none"));
    QString flags;
    for (const std::string& flag : record.flags) flags += (flags.isEmpty() ? "" : ", ") + Text(flag);
    set(kFlags, flags);
    set(kWho, correction ? Text(correction->login + " on " + correction->host)
                         : Text(record.login + " on " + record.host + ", " + record.program));
}

void HistoryDialog::ApplyFilters() {
    const QString name = nameFilter->text();
    // A photo counted and accepted again (reopened, confirmed) is still one stack: it adds
    // its latest accepted count once. The same name with other content is another stack.
    std::map<std::pair<std::filesystem::path, std::string>, std::pair<std::int64_t, int>> acceptedShown;
    for (int row = 0; row < table->rowCount(); ++row) {
        const QTableWidgetItem* photo = table->item(row, kPhoto);
        const QDate day = table->item(row, kWhen)->data(kDayRole).toDate();
        const bool shown = day >= fromDay->date() && day <= toDay->date() &&
                           photo->text().contains(name, Qt::CaseInsensitive);
        table->setRowHidden(row, !shown);
        const qulonglong index = photo->data(kCountIndexRole).toULongLong();
        const LoggedCount& count = counts[index];
        if (!shown || photo->data(kCorrectionRole).toBool() || count.corrections.empty()) continue;
        const LoggedCorrection& latest = count.corrections.back();
        const auto key = std::pair(count.record.photo, count.record.facts ? count.record.facts->sha256 : std::string());
        const auto [entry, added] = acceptedShown.try_emplace(key, latest.when.unixMs, latest.acceptedCount);
        if (!added && entry->second.first < latest.when.unixMs) entry->second = {latest.when.unixMs, latest.acceptedCount};
    }
    int boards = 0;
    for (const auto& [photo, accepted] : acceptedShown) boards += accepted.second;
    total->setText(QStringLiteral("Photos with an accepted count shown: %1, together %2 boards")
                       .arg(acceptedShown.size())
                       .arg(boards));
}

}  // namespace tamrex
