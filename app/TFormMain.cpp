#include "TFormMain.h"

#include "ErrorHandling.h"
#include "FlowDispatch.h"
#include "PatientSearch.h"
#include "PatientTableModel.h"
#include "Login.h"
#include "TfrmLogin.h"
#include "fdf/OutputFiles.h"
#include "host/Tzantopat.h"
#include "ui_TFormMain.h"
#include "widgets/Accessibility.h"
#include "widgets/Fonts.h"
#include "widgets/ZantoLogo.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QTimer>

namespace app {

namespace {

// The action cell of the current row carries a focus frame that shows on the row's highlight in every
// style: the styles' own frames are faint there, or drawn only once the keyboard has been used.
class ActionCellDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem cell(option);
        cell.state &= ~QStyle::State_HasFocus;
        QStyledItemDelegate::paint(painter, cell, index);
        if (!(option.state & QStyle::State_HasFocus))
            return;
        const QPalette::ColorRole ink =
            option.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text;
        painter->save();
        painter->setPen(QPen(option.palette.color(ink), 2));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(QRectF(option.rect).adjusted(2, 2, -2, -2));
        painter->restore();
    }
};

} // namespace

// Marks the window busy (a reload, an output flow, the editor) for the length of a scope.
class TFormMain::BusyScope
{
public:
    explicit BusyScope(TFormMain& window) : m_window(window) { ++m_window.m_busy; }
    ~BusyScope() { --m_window.m_busy; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    TFormMain& m_window;
};

TFormMain::TFormMain(platform::Platform& platform, host::AutomationFactory automationFactory,
                     const OutputFlowsFactory& outputFlows, QWidget* parent)
    : QWidget(parent), m_platform(platform, m_openMessages), ui(std::make_unique<Ui::FormMain>()),
      m_session(std::make_unique<Tzantopat>(m_platform, std::move(automationFactory)))
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("FormMain"));
    setFixedSize(786, 442);
    setWindowFlags(windowFlags() | Qt::MSWindowsFixedSizeDialogHint);
    setAttribute(Qt::WA_StyledBackground); // the form's white background comes from its style sheet
    ui->ZantoLogo->setPixmap(widgets::zantoLogo(ui->ZantoLogo->size()));
    ui->lblTesto->setAutoFillBackground(false);
    placeInstructionLine();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    m_tblDati = new PatientTableModel(this);
    setUpGrid();
    widgets::nameControlsByLabels(*this);

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(kTimerIntervalMs);

    connect(ui->editCognome, &QLineEdit::textChanged, this, &TFormMain::editCognomeChange);
    connect(ui->editNome, &QLineEdit::textChanged, this, &TFormMain::editNomeChange);
    connect(m_timer, &QTimer::timeout, this, &TFormMain::Timer1Timer);
    connect(ui->gridDati, &QTableView::clicked, this, &TFormMain::gridDatiCellClick);
    connect(ui->ComboBox1, &QComboBox::currentIndexChanged, this, &TFormMain::ComboBox1Change);

    if (outputFlows)
        m_flows = outputFlows(*this);
    m_session->relogin = [this] { return loginAgain(); };
}

bool TFormMain::loginAgain()
{
    m_platform.showMessage(platform::MessageKind::Information, kLoginAgainMessage);
    // Over whatever window is in front: the editor, when its "Salva" found the host closed.
    QWidget* front = QApplication::activeModalWidget();
    TfrmLogin login(*m_session, m_platform, front ? front : this);
    login.keepUser(m_session->s_utente);
    return login.exec() == TfrmLogin::kAccepted;
}

void TFormMain::closeEvent(QCloseEvent* event)
{
    if (m_busy > 0) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

TFormMain::~TFormMain()
{
    m_timer->stop();
    m_flows.reset();
    // FormDestroy: stop the session, then let it go (its destructor's stop finds nothing left to do).
    m_session->stop();
    m_session.reset();
}

void TFormMain::setUpGrid()
{
    QTableView* grid = ui->gridDati;
    grid->setModel(m_tblDati);
    grid->setFont(widgets::verdana(13));
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    // Tab goes on to the next control and the arrows move between rows: a grid whose Tab walks its
    // cells wraps round from the last cell to the first and never lets the focus leave.
    grid->setTabKeyNavigation(false);
    grid->setShowGrid(true);
    grid->setWordWrap(false);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(QFontMetrics(grid->font()).height() + 6);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->setColumnHidden(PatientTableModel::Id, true);
    grid->setColumnWidth(PatientTableModel::Cognome, 200);
    grid->setColumnWidth(PatientTableModel::Nome, 148);
    grid->setColumnWidth(PatientTableModel::DataNascita, 100);
    grid->setColumnWidth(PatientTableModel::Scrivi, 100);
    // The pointer shape follows the column under it, in the cells and on the header alike.
    grid->setMouseTracking(true);
    grid->viewport()->setMouseTracking(true);
    grid->horizontalHeader()->setMouseTracking(true);
    grid->horizontalHeader()->viewport()->setMouseTracking(true);
    grid->viewport()->installEventFilter(this);
    grid->horizontalHeader()->viewport()->installEventFilter(this);

    // The current cell is always the row's "Compila": its focus frame shows what Enter or Space does,
    // and a screen reader announces the action with the patient it is for.
    grid->installEventFilter(this);
    grid->setItemDelegateForColumn(PatientTableModel::Scrivi, new ActionCellDelegate(grid));
    connect(grid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [grid](const QModelIndex& current) {
                if (current.isValid() && current.column() != PatientTableModel::Scrivi)
                    grid->setCurrentIndex(current.siblingAtColumn(PatientTableModel::Scrivi));
            });
    QStringList titles;
    for (int column = 0; column < m_tblDati->columnCount(); ++column) {
        if (!grid->isColumnHidden(column))
            titles << m_tblDati->headerData(column, Qt::Horizontal, Qt::AccessibleTextRole).toString();
    }
    grid->setAccessibleName(titles.join(QStringLiteral(", ")));
}

void TFormMain::placeInstructionLine()
{
    // "2) cliccando col mouse su", "Compila", "si aprirà il modulo..." read as one line whatever the face.
    const int gap = 5;
    QLabel* first = ui->Label3;
    first->resize(first->sizeHint().width(), first->height());
    ui->Label8->setGeometry(first->x() + first->width() + gap, first->y(), ui->Label8->sizeHint().width(),
                            first->height());
    ui->Label7->setGeometry(ui->Label8->x() + ui->Label8->width() + gap, first->y(),
                            ui->Label7->sizeHint().width(), first->height());
}

bool TFormMain::FormCreate()
{
    int result = 0;
    {
        TfrmLogin login(*m_session, m_platform, this);
        result = login.exec();
    }
    if (result != TfrmLogin::kAccepted)
        return false;
    fdf::clearTempFolder(m_platform);
    m_timer->start();
    return true;
}

void TFormMain::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        runHandler(m_platform, [this] { FormShow(); });
}

void TFormMain::FormShow()
{
    ui->lblTesto->clear();
    ui->lblTesto->hide();
    ComboBox1Change();
    // The doctor types the initials at once.
    ui->editCognome->setFocus();
}

void TFormMain::ShowStatus(const QString& text)
{
    ui->lblTesto->setText(text);
    ui->lblTesto->show();
}

void TFormMain::editCognomeChange()
{
    m_lastEditTime = m_platform.now();
    m_reloadPending = true;
}

void TFormMain::editNomeChange()
{
    m_lastEditTime = m_platform.now();
    m_reloadPending = true;
}

void TFormMain::Timer1Timer()
{
    runHandler(m_platform, [this] {
        if (!m_reloadPending)
            return;
        // Never under a running flow, the editor, a message box or another reload: the reload stays
        // pending and runs on a tick after they end.
        if (busy())
            return;
        const qint64 elapsed = qAbs(m_lastEditTime.msecsTo(m_platform.now()));
        if (elapsed < kReloadDelayMs)
            return;
        m_reloadPending = false;
        LoadPatients();
    });
}

void TFormMain::LoadPatients()
{
    const BusyScope busy(*this);
    m_tblDati->clear();
    if (!m_session->readyForAction())
        return;
    // A host in another process answers each call in its own time: between rows the window takes
    // the doctor's typing, and initials changed meanwhile end this reload (the next tick loads theirs).
    QElapsedTimer sinceInput;
    sinceInput.start();
    PatientList list = readPatients(*m_session, ui->editCognome->text(), ui->editNome->text(), [&] {
        if (sinceInput.elapsed() >= kReloadYieldMs) {
            QCoreApplication::processEvents();
            sinceInput.restart();
        }
        return !m_reloadPending;
    });
    if (!list.complete)
        return;
    m_tblDati->setRows(std::move(list.rows));
    if (!list.badDates.empty())
        m_platform.showMessage(platform::MessageKind::Error, badBirthDatesMessage(list.badDates));
}

void TFormMain::gridDatiMouseMove(int x)
{
    const int column = ui->gridDati->horizontalHeader()->logicalIndexAt(x);
    ui->gridDati->setCursor(column == PatientTableModel::Scrivi ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void TFormMain::readyGrid()
{
    if (m_reloadPending && !busy()) {
        m_reloadPending = false;
        LoadPatients();
    }
    QTableView* grid = ui->gridDati;
    if (!grid->currentIndex().isValid() && grid->model()->rowCount() > 0)
        grid->selectionModel()->setCurrentIndex(grid->model()->index(0, 0), QItemSelectionModel::NoUpdate);
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event)
{
    // Reached by Tab straight after typing the initials, the grid shows the list they ask for at once,
    // not after a later tick that would reset it under the Enter that follows; and a list without a
    // current row gets its first, so that Enter acts on a patient the doctor sees. A window that is not
    // active (no window manager) gets no focus event: the keys do it then.
    if (watched == ui->gridDati && event->type() == QEvent::FocusIn) {
        m_gridKeyHeld = false;
        runHandler(m_platform, [this] { readyGrid(); });
    }
    if (watched == ui->gridDati &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)) {
        // Enter or Space on a row is a click on its "Compila" cell. A held key acts once: its repeats
        // do nothing. The first press the grid sees acts even when marked a repeat, as Windows marks it
        // when the key went down elsewhere (on the login window, say) and its release was not seen.
        const auto* key = static_cast<QKeyEvent*>(event);
        if (widgets::isPlainKey(*key, {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space})) {
            if (event->type() == QEvent::KeyRelease) {
                if (!key->isAutoRepeat())
                    m_gridKeyHeld = false;
                return true;
            }
            if (!key->isAutoRepeat() || !m_gridKeyHeld) {
                m_gridKeyHeld = true;
                runHandler(m_platform, [this] { readyGrid(); });
                gridDatiCellClick(ui->gridDati->currentIndex().siblingAtColumn(PatientTableModel::Scrivi));
            }
            return true;
        }
    }
    if (event->type() == QEvent::MouseMove &&
        (watched == ui->gridDati->viewport() || watched == ui->gridDati->horizontalHeader()->viewport()))
        gridDatiMouseMove(static_cast<QMouseEvent*>(event)->position().toPoint().x());
    return QWidget::eventFilter(watched, event);
}

void TFormMain::ComboBox1Change()
{
    const std::optional<QStringList> formats = formatsOf(ui->ComboBox1->currentIndex());
    if (!formats)
        return;
    QComboBox* format = ui->ComboBox2;
    format->clear();
    format->addItems(*formats);
    if (!formats->isEmpty())
        format->setCurrentIndex(Pdf);
}

void TFormMain::gridDatiCellClick(const QModelIndex& index)
{
    runHandler(m_platform, [this, index] {
        if (!index.isValid() || index.column() != PatientTableModel::Scrivi)
            return;
        // One output at a time: a click let through while a flow runs is not a request.
        if (busy())
            return;
        ui->gridDati->setCurrentIndex(index);
        const BusyScope busy(*this);
        if (!m_session->readyForAction())
            return;
        dispatch(m_tblDati->row(index.row()));
    });
}

void TFormMain::dispatch(const clinical::PatientRow& row)
{
    const std::optional<FileToOpen> file = dispatchFlow(
        ui->ComboBox1->currentIndex(), ui->ComboBox2->currentIndex(), row, m_flows.get(), m_platform);
    if (!file)
        return;
    const bool opened = m_platform.openFile(file->path);
    // The status line stays for a warning the doctor should read beside the opened form.
    if (file->warning.isEmpty()) {
        ui->lblTesto->clear();
        ui->lblTesto->hide();
    } else {
        ShowStatus(file->warning);
    }
    if (!opened)
        m_platform.showMessage(platform::MessageKind::Information,
                               notOpenedMessage(file->path, m_platform.userSettingsLocation()));
}

} // namespace app
