#pragma once

#include "record/CountLog.h"

#include <QDialog>
#include <QString>

#include <filesystem>
#include <vector>

class QDateEdit;
class QLabel;
class QLineEdit;
class QTableWidget;
class QTableWidgetItem;

namespace tamrex {

// The counts and corrections of the photos of one folder, from the count log, newest
// first; filtered by the day they were made and by the photo's name, with the total of the
// accepted counts of the counts shown. A double-click on a row asks for that photo's review.
class HistoryDialog : public QDialog {
    Q_OBJECT

public:
    HistoryDialog(const std::filesystem::path& logFile, const std::filesystem::path& folder, QWidget* parent = nullptr);

    QTableWidget* Table() const { return table; }
    QLineEdit* NameFilter() const { return nameFilter; }
    QDateEdit* FromDay() const { return fromDay; }
    QDateEdit* ToDay() const { return toDay; }
    QString TotalText() const;

signals:
    void photoChosen(const QString& name);

private:
    void Load(const std::filesystem::path& logFile, const std::filesystem::path& folder);
    void AddRow(const LoggedCount& count, const LoggedCorrection* correction);
    void ApplyFilters();

    std::vector<LoggedCount> counts;
    QTableWidget* table = nullptr;
    QLineEdit* nameFilter = nullptr;
    QDateEdit* fromDay = nullptr;
    QDateEdit* toDay = nullptr;
    QLabel* total = nullptr;
    QLabel* source = nullptr;
};

}  // namespace tamrex
