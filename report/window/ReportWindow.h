#pragma once
// kavr-im-report as a window, for those who open results with a double-click rather than a
// command line: the protocols of a Result folder read with a progress bar, a sortable table of
// the subjects with the command line's choices applied as they change, the files that could
// not be read with why, a subject's page and the group's page opened in the browser, and every
// output of the command line saved where the user says.
#include "report/command/ReportOptions.h"
#include "report/window/FolderReading.h"

#include <QMainWindow>
#include <QTemporaryDir>
#include <QUrl>

#include <functional>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QProgressBar;
class QSortFilterProxyModel;
class QTableView;
class QTreeWidget;

namespace kavr::report {

class SubjectTableModel;

class ReportWindow final : public QMainWindow
{
    Q_OBJECT

public:
    // What the window can save, each as the command line writes it.
    enum class Output { Table, Placements, Summary, Pages, Workbook };

    // options: the folder, the first choice and the number format (ParseReportOptions);
    // generator names the program in the pages' foot.
    ReportWindow(const ReportOptions &options, const QString &generator, QWidget *parent = nullptr);
    ~ReportWindow() override;

    // Reads folder anew; the choice stays as set.
    void openFolder(const QString &folder);
    // Writes output for the protocols chosen now to path (a folder for Pages). Empty when
    // written, else why not.
    QString save(Output output, const QString &path);
    // The subject of the table's row (as sorted) or the group as a page in the browser. False
    // when the page could not be written or opened.
    bool openSubjectPage(int row);
    bool openGroupPage();
    // How pages reach a browser; the system's default browser unless replaced (tests).
    void setUrlOpener(std::function<bool(const QUrl &)> opener) { m_openUrl = std::move(opener); }

signals:
    void folderRead(); // the table shows the folder's protocols

private:
    void buildControls();
    void buildMenus();
    void chooseAgain(); // the table from the conditions as they are now
    void showProgress(int done, int total);
    void showRead();
    void askForFolder();
    void askAndSave(Output output);
    void openSelectedPage();
    Selection selection() const;
    bool withNames() const;
    QString writeTemporaryPage(const QString &name, const QByteArray &bytes);

    ReportOptions m_options;
    QString m_generator;
    FolderReading m_reading;
    SubjectTableModel *m_model = nullptr;
    QSortFilterProxyModel *m_sorted = nullptr;
    std::function<bool(const QUrl &)> m_openUrl;
    QTemporaryDir m_shownPages; // pages handed to the browser live as long as the window

    QLineEdit *m_folder = nullptr;
    QCheckBox *m_sinceOn = nullptr;
    QDateEdit *m_since = nullptr;
    QCheckBox *m_untilOn = nullptr;
    QDateEdit *m_until = nullptr;
    QComboBox *m_variant = nullptr;
    QLineEdit *m_codes = nullptr;
    QCheckBox *m_withoutNames = nullptr;
    QProgressBar *m_progress = nullptr;
    QLabel *m_status = nullptr;
    QTableView *m_table = nullptr;
    QLabel *m_skippedTitle = nullptr;
    QTreeWidget *m_skipped = nullptr;
};

} // namespace kavr::report
