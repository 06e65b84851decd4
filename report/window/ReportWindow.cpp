#include "report/window/ReportWindow.h"

#include "assets/PictureCatalogue.h"
#include "parameters/TestVariant.h"
#include "report/csv/PlacementCsv.h"
#include "report/csv/ProtocolCsv.h"
#include "report/csv/SummaryCsv.h"
#include "report/figures/GroupStatistics.h"
#include "report/html/GroupPage.h"
#include "report/html/PageFolder.h"
#include "report/html/SubjectPage.h"
#include "report/window/SubjectTableModel.h"
#include "report/xlsx/Workbook.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QSaveFile>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kavr::report {

namespace {

QString Shown(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

// The whole file or nothing: an earlier output stays as it was when writing fails.
QString SaveWhole(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return file.errorString();
    return QString();
}

} // namespace

ReportWindow::ReportWindow(const ReportOptions &options, const QString &generator, QWidget *parent)
    : QMainWindow(parent),
      m_options(options),
      m_generator(generator),
      m_openUrl([](const QUrl &url) { return QDesktopServices::openUrl(url); })
{
    setWindowTitle(tr("KAVR.IM: results"));
    buildControls();
    buildMenus();
    connect(&m_reading, &FolderReading::progressed, this, &ReportWindow::showProgress);
    connect(&m_reading, &FolderReading::finished, this, &ReportWindow::showRead);
    resize(1100, 700);
    openFolder(options.folder);
}

ReportWindow::~ReportWindow() = default;

void ReportWindow::buildControls()
{
    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);

    auto *folderRow = new QHBoxLayout;
    folderRow->addWidget(new QLabel(tr("Folder of protocols:")));
    m_folder = new QLineEdit;
    m_folder->setObjectName(QStringLiteral("folder"));
    m_folder->setReadOnly(true);
    folderRow->addWidget(m_folder, 1);
    auto *otherFolder = new QPushButton(tr("Other folder…"));
    connect(otherFolder, &QPushButton::clicked, this, &ReportWindow::askForFolder);
    folderRow->addWidget(otherFolder);
    layout->addLayout(folderRow);

    // The command line's choices, applied as they change.
    auto *choiceRow = new QHBoxLayout;
    const Selection &first = m_options.selection;
    const QDate today = QDate::currentDate();
    m_sinceOn = new QCheckBox(tr("Set up from"));
    m_sinceOn->setObjectName(QStringLiteral("sinceOn"));
    m_since = new QDateEdit(first.since.value_or(today.addMonths(-1)));
    m_since->setObjectName(QStringLiteral("since"));
    m_untilOn = new QCheckBox(tr("to"));
    m_untilOn->setObjectName(QStringLiteral("untilOn"));
    m_until = new QDateEdit(first.until.value_or(today));
    m_until->setObjectName(QStringLiteral("until"));
    for (QDateEdit *date : {m_since, m_until}) {
        date->setCalendarPopup(true);
        // Some styles give the arrow of the popup more room than the size hint leaves it.
        date->setMinimumWidth(date->sizeHint().width() + 2 * date->fontMetrics().averageCharWidth());
        connect(date, &QDateEdit::dateChanged, this, &ReportWindow::chooseAgain);
    }
    m_sinceOn->setChecked(first.since.has_value());
    m_untilOn->setChecked(first.until.has_value());
    choiceRow->addWidget(m_sinceOn);
    choiceRow->addWidget(m_since);
    choiceRow->addWidget(m_untilOn);
    choiceRow->addWidget(m_until);
    choiceRow->addSpacing(12);
    m_variant = new QComboBox;
    m_variant->setObjectName(QStringLiteral("variant"));
    m_variant->addItem(tr("All variants"), -1);
    for (int i = 0; i < VariantCount; ++i)
        m_variant->addItem(TestVariants[i].itemText.toString(), i);
    m_variant->setCurrentIndex(m_variant->findData(first.variantIndex));
    choiceRow->addWidget(m_variant);
    choiceRow->addSpacing(12);
    choiceRow->addWidget(new QLabel(tr("Codes:")));
    m_codes = new QLineEdit(first.codePatterns.join(u' '));
    m_codes->setObjectName(QStringLiteral("codes"));
    m_codes->setPlaceholderText(tr("all; e.g. A* 007 (* any text, ? one character)"));
    m_codes->setClearButtonEnabled(true);
    choiceRow->addWidget(m_codes, 1);
    m_withoutNames = new QCheckBox(tr("Without names"));
    m_withoutNames->setObjectName(QStringLiteral("withoutNames"));
    m_withoutNames->setChecked(!m_options.withNames);
    choiceRow->addWidget(m_withoutNames);
    for (QCheckBox *box : {m_sinceOn, m_untilOn, m_withoutNames})
        connect(box, &QCheckBox::toggled, this, &ReportWindow::chooseAgain);
    connect(m_variant, &QComboBox::currentIndexChanged, this, &ReportWindow::chooseAgain);
    connect(m_codes, &QLineEdit::textChanged, this, &ReportWindow::chooseAgain);
    layout->addLayout(choiceRow);

    auto *statusRow = new QHBoxLayout;
    m_status = new QLabel;
    m_status->setObjectName(QStringLiteral("status"));
    statusRow->addWidget(m_status, 1);
    m_progress = new QProgressBar;
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setVisible(false);
    statusRow->addWidget(m_progress, 1);
    layout->addLayout(statusRow);

    m_model = new SubjectTableModel(this);
    m_sorted = new QSortFilterProxyModel(this);
    m_sorted->setSourceModel(m_model);
    m_sorted->setSortRole(SubjectTableModel::SortRole);
    m_table = new QTableView;
    m_table->setObjectName(QStringLiteral("subjects"));
    m_table->setModel(m_sorted);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(-1, Qt::AscendingOrder); // the folder's order until a header is clicked
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->setVisible(false);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    connect(m_table, &QTableView::activated, this,
            [this](const QModelIndex &index) { openSubjectPage(index.row()); });
    layout->addWidget(m_table, 1);

    m_skippedTitle = new QLabel;
    m_skipped = new QTreeWidget;
    m_skipped->setObjectName(QStringLiteral("skipped"));
    m_skipped->setHeaderLabels({tr("File"), tr("Line"), tr("Why it was not read")});
    m_skipped->setRootIsDecorated(false);
    m_skipped->setMaximumHeight(140);
    m_skippedTitle->setVisible(false);
    m_skipped->setVisible(false);
    layout->addWidget(m_skippedTitle);
    layout->addWidget(m_skipped);

    auto *buttons = new QHBoxLayout;
    auto *subjectPage = new QPushButton(tr("Subject's page"));
    subjectPage->setEnabled(false);
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, subjectPage,
            [this, subjectPage] {
                subjectPage->setEnabled(m_table->selectionModel()->hasSelection());
            });
    connect(subjectPage, &QPushButton::clicked, this, &ReportWindow::openSelectedPage);
    auto *groupPage = new QPushButton(tr("Group page"));
    connect(groupPage, &QPushButton::clicked, this, &ReportWindow::openGroupPage);
    auto *saveExcel = new QPushButton(tr("Save for Excel…"));
    connect(saveExcel, &QPushButton::clicked, this, [this] { askAndSave(Output::Workbook); });
    buttons->addWidget(subjectPage);
    buttons->addWidget(groupPage);
    buttons->addStretch(1);
    buttons->addWidget(saveExcel);
    layout->addLayout(buttons);

    setCentralWidget(central);
}

void ReportWindow::buildMenus()
{
    QMenu *file = menuBar()->addMenu(tr("&File"));
    file->addAction(tr("&Open folder…"), this, &ReportWindow::askForFolder);
    file->addSeparator();
    const std::pair<Output, QString> outputs[] = {
        {Output::Table, tr("Save the &table (CSV)…")},
        {Output::Placements, tr("Save the &placements (CSV)…")},
        {Output::Summary, tr("Save the &group figures (CSV)…")},
        {Output::Pages, tr("Save the subjects' pa&ges…")},
        {Output::Workbook, tr("Save for &Excel…")},
    };
    for (const auto &[output, text] : outputs)
        file->addAction(text, this, [this, output = output] { askAndSave(output); });
    file->addSeparator();
    file->addAction(tr("&Quit"), this, &QWidget::close);
    QMenu *open = menuBar()->addMenu(tr("&View"));
    open->addAction(tr("The &subject's page"), this, &ReportWindow::openSelectedPage);
    open->addAction(tr("The g&roup's page"), this, &ReportWindow::openGroupPage);
}

void ReportWindow::openFolder(const QString &folder)
{
    m_options.folder = folder;
    m_folder->setText(QDir::toNativeSeparators(folder));
    // Nothing of the folder shown before stays, nor comes in late from its reading.
    m_reading.clear();
    m_progress->setVisible(false);
    m_model->setChoice({});
    m_skipped->clear();
    m_skipped->setVisible(false);
    m_skippedTitle->setVisible(false);
    if (!QFileInfo(folder).isDir()) {
        m_status->setText(tr("There is no folder %1. Choose the folder of protocols with "
                             "\"Other folder…\".")
                              .arg(Shown(folder)));
        return;
    }
    m_status->setText(tr("Reading the protocols…"));
    m_progress->setValue(0);
    m_progress->setVisible(true);
    m_reading.start(folder, Shown(folder), m_options.localDateFormat);
}

void ReportWindow::showProgress(int done, int total)
{
    m_progress->setMaximum(qMax(total, 1));
    m_progress->setValue(done);
}

void ReportWindow::showRead()
{
    m_progress->setVisible(false);
    const QList<SkippedFile> &skipped = m_reading.pool().skipped();
    for (const SkippedFile &file : skipped) {
        auto *item = new QTreeWidgetItem(m_skipped);
        item->setText(0, QDir::toNativeSeparators(file.path));
        item->setText(1, file.error.line > 0 ? QString::number(file.error.line) : QString());
        item->setText(2, file.error.message);
    }
    m_skipped->resizeColumnToContents(0);
    m_skippedTitle->setText(tr("Files that could not be read, left out: %1").arg(skipped.size()));
    m_skippedTitle->setVisible(!skipped.isEmpty());
    m_skipped->setVisible(!skipped.isEmpty());
    chooseAgain();
    emit folderRead();
}

Selection ReportWindow::selection() const
{
    Selection selection;
    if (m_sinceOn->isChecked())
        selection.since = m_since->date();
    if (m_untilOn->isChecked())
        selection.until = m_until->date();
    selection.variantIndex = m_variant->currentData().toInt();
    // Patterns apart by blanks, commas or semicolons; a blank inside a code is matched by ?.
    static const QRegularExpression apart(QStringLiteral("[\\s,;]+"));
    selection.codePatterns = m_codes->text().split(apart, Qt::SkipEmptyParts);
    return selection;
}

bool ReportWindow::withNames() const
{
    return !m_withoutNames->isChecked();
}

void ReportWindow::chooseAgain()
{
    if (m_reading.running())
        return; // chosen when the reading ends
    const ProtocolChoice choice = m_reading.pool().choose(selection(), withNames());
    m_model->setChoice(choice);
    m_table->setColumnHidden(SubjectTableModel::Name, !withNames());
    const ReportScope &scope = choice.scope;
    QStringList status{tr("Protocol files read: %1 of %2").arg(scope.read).arg(scope.files),
                       tr("chosen: %1").arg(scope.selected)};
    if (scope.undated)
        status << tr("left out, no date that can be read for sure: %1").arg(scope.undated);
    if (scope.recovered)
        status << tr("recovered (interrupted tests), left out of the group figures: %1")
                      .arg(scope.recovered);
    m_status->setText(status.join(QStringLiteral("; ")) + u'.');
}

void ReportWindow::askForFolder()
{
    const QString folder = QFileDialog::getExistingDirectory(this, tr("Folder of protocols"),
                                                             m_options.folder);
    if (!folder.isEmpty())
        openFolder(folder);
}

void ReportWindow::askAndSave(Output output)
{
    QString path;
    const QString start = QFileInfo(m_options.folder).absolutePath();
    const auto file = [&](const QString &title, const QString &name, const QString &filter) {
        return QFileDialog::getSaveFileName(this, title, QDir(start).filePath(name), filter);
    };
    const QString csv = tr("CSV tables (*.csv)");
    switch (output) {
    case Output::Table:
        path = file(tr("Save the table"), QStringLiteral("kavr-im.csv"), csv);
        break;
    case Output::Placements:
        path = file(tr("Save the placements"), QStringLiteral("kavr-im-placements.csv"), csv);
        break;
    case Output::Summary:
        path = file(tr("Save the group figures"), QStringLiteral("kavr-im-group.csv"), csv);
        break;
    case Output::Pages:
        path = QFileDialog::getExistingDirectory(this, tr("Folder for the subjects' pages"), start);
        break;
    case Output::Workbook:
        path = file(tr("Save for Excel"), QStringLiteral("kavr-im.xlsx"),
                    tr("Excel workbooks (*.xlsx)"));
        break;
    }
    if (path.isEmpty())
        return;
    const QString why = save(output, path);
    if (!why.isEmpty())
        QMessageBox::critical(this, windowTitle(), why);
}

QString ReportWindow::save(Output output, const QString &path)
{
    const ProtocolChoice &choice = m_model->choice();
    const QList<ProtocolRecord> &records = choice.records;
    const CsvFormat &format = m_options.format;
    const auto saved = [&](const QByteArray &bytes) {
        const QString why = SaveWhole(path, bytes);
        return why.isEmpty() ? why : tr("Cannot write %1: %2").arg(Shown(path), why);
    };
    switch (output) {
    case Output::Table: return saved(ProtocolCsv(records, format, withNames()));
    case Output::Placements:
        return saved(PlacementCsv(records, format, m_options.localDateFormat, withNames()));
    case Output::Summary:
        return saved(SummaryCsv(records, ComputeGroupStatistics(records), choice.scope, format));
    case Output::Pages: {
        SubjectPageOptions page;
        page.decimalMark = format.decimalMark;
        page.withNames = withNames();
        page.generator = m_generator;
        page.pictures = kavr::assets::PictureData;
        QProgressDialog progress(tr("Writing the pages…"), QString(), 0, int(records.size()), this);
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(500);
        // Written to the end: a folder stopped halfway would pass for the whole choice's pages.
        progress.setCancelButton(nullptr);
        QStringList failures;
        WriteSubjectPages(
            path, records, page,
            [&](const QString &where, const QString &why) {
                failures << (why.isEmpty() ? tr("Cannot make the folder %1").arg(Shown(where))
                                           : tr("Cannot write %1: %2").arg(Shown(where), why));
            },
            [&] { progress.setValue(progress.value() + 1); });
        return failures.join(u'\n');
    }
    case Output::Workbook: {
        WorkbookOptions workbook;
        workbook.withNames = withNames();
        workbook.localDateFormat = m_options.localDateFormat;
        const WorkbookOutcome outcome = WriteWorkbook(
            path, records, ComputeGroupStatistics(records), choice.scope, workbook);
        return outcome.written ? QString()
                               : tr("Cannot write %1: %2").arg(Shown(path), outcome.reason);
    }
    }
    return QString();
}

void ReportWindow::openSelectedPage()
{
    const QModelIndexList rows = m_table->selectionModel()->selectedRows();
    if (rows.isEmpty())
        QMessageBox::information(this, windowTitle(), tr("Choose a subject in the table first."));
    else
        openSubjectPage(rows.front().row());
}

QString ReportWindow::writeTemporaryPage(const QString &name, const QByteArray &bytes)
{
    if (!m_shownPages.isValid())
        return QString();
    const QString path = m_shownPages.filePath(name);
    return SaveWhole(path, bytes).isEmpty() ? path : QString();
}

bool ReportWindow::openSubjectPage(int row)
{
    if (row < 0 || row >= m_sorted->rowCount())
        return false;
    const ProtocolRecord &record = m_model->record(
        m_sorted->mapToSource(m_sorted->index(row, 0)).row());
    SubjectPageOptions page;
    page.decimalMark = m_options.format.decimalMark;
    page.withNames = withNames();
    page.generator = m_generator;
    page.pictures = kavr::assets::PictureData;
    const QString path = writeTemporaryPage(SubjectPageFileName(record), SubjectPage(record, page));
    if (path.isEmpty() || !m_openUrl(QUrl::fromLocalFile(path))) {
        QMessageBox::warning(this, windowTitle(), tr("The subject's page could not be opened."));
        return false;
    }
    return true;
}

bool ReportWindow::openGroupPage()
{
    const ProtocolChoice &choice = m_model->choice();
    GroupPageOptions html;
    html.decimalMark = m_options.format.decimalMark;
    html.scope = choice.scope;
    html.generator = m_generator;
    html.pictures = kavr::assets::PictureData;
    const QString path = writeTemporaryPage(
        QStringLiteral("group.html"),
        GroupPage(choice.records, ComputeGroupStatistics(choice.records), html));
    if (path.isEmpty() || !m_openUrl(QUrl::fromLocalFile(path))) {
        QMessageBox::warning(this, windowTitle(), tr("The group's page could not be opened."));
        return false;
    }
    return true;
}

} // namespace kavr::report
