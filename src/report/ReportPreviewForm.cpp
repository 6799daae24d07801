#include "ReportPreviewForm.h"

#include "CsvExport.h"
#include "MeasurementReport.h"
#include "PageRenderer.h"
#include "PdfWriter.h"
#include "PreviewPageView.h"
#include "ReportLog.h"
#include "platform/Error.h"
#include "ui/MessageSeam.h"

#include <QComboBox>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QToolBar>
#include <QVBoxLayout>

namespace report {

namespace {

enum ZoomChoice { ZoomPageWidth, ZoomWholePage, ZoomFixed };

QAction* toolAction(QToolBar* bar, const char* name, const QString& text, const QString& tip) {
    QAction* a = bar->addAction(text);
    a->setObjectName(QLatin1String(name));
    a->setToolTip(tip);
    return a;
}

} // namespace

ReportPreviewForm::ReportPreviewForm(QWidget* owner, const PreparedReport& report, uint32_t buttons,
                                     const QString& printerName)
    : QDialog(owner), m_report(report), m_printerName(printerName) {
    setWindowTitle(QStringLiteral("Предварительный просмотр"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setModal(true);
    m_scroll = new QScrollArea(this);
    m_scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_view = new PreviewPageView(m_report);
    m_scroll->setWidget(m_view);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildToolBar(buttons);
    layout->addWidget(m_scroll, 1);
    showPage(0);
}

void ReportPreviewForm::buildToolBar(uint32_t buttons) {
    auto* bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("PreviewToolBar"));
    static_cast<QVBoxLayout*>(layout())->addWidget(bar);
    if (buttons & pbZoom) {
        m_zoom = new QComboBox(bar);
        m_zoom->setObjectName(QStringLiteral("ZoomBox"));
        m_zoom->addItem(QStringLiteral("По ширине страницы"), 0);
        m_zoom->addItem(QStringLiteral("Страница целиком"), 0);
        for (int pct : {50, 75, 100, 150, 200})
            m_zoom->addItem(QStringLiteral("%1%").arg(pct), pct);
        connect(m_zoom, &QComboBox::currentIndexChanged, this, [this] { applyZoom(); });
        bar->addWidget(m_zoom);
        bar->addSeparator();
    }
    connect(
        toolAction(bar, "FirstPageAction", QStringLiteral("|◀"), QStringLiteral("Первая страница")),
        &QAction::triggered, this, [this] { showPage(0); });
    connect(toolAction(bar, "PriorPageAction", QStringLiteral("◀"),
                       QStringLiteral("Предыдущая страница")),
            &QAction::triggered, this, [this] { showPage(currentPage() - 1); });
    m_pageLabel = new QLabel(bar);
    bar->addWidget(m_pageLabel);
    connect(toolAction(bar, "NextPageAction", QStringLiteral("▶"),
                       QStringLiteral("Следующая страница")),
            &QAction::triggered, this, [this] { showPage(currentPage() + 1); });
    connect(toolAction(bar, "LastPageAction", QStringLiteral("▶|"),
                       QStringLiteral("Последняя страница")),
            &QAction::triggered, this, [this] { showPage(pageCount() - 1); });
    new QShortcut(QKeySequence(Qt::Key_PageDown), this, [this] { showPage(currentPage() + 1); });
    new QShortcut(QKeySequence(Qt::Key_PageUp), this, [this] { showPage(currentPage() - 1); });
    bar->addSeparator();
    if (buttons & pbSave)
        connect(toolAction(bar, "SaveAction", QStringLiteral("Сохранить"),
                           QStringLiteral("Сохранить отчёт в файл")),
                &QAction::triggered, this, &ReportPreviewForm::saveReport);
    if (buttons & pbPrint)
        connect(toolAction(bar, "PrintAction", QStringLiteral("Печать"),
                           QStringLiteral("Напечатать отчёт")),
                &QAction::triggered, this, &ReportPreviewForm::printReport);
    if (buttons & pbExit)
        connect(toolAction(bar, "ExitAction", QStringLiteral("Закрыть"),
                           QStringLiteral("Закрыть просмотр")),
                &QAction::triggered, this, &QDialog::accept);
}

bool ReportPreviewForm::hasAction(const QString& objectName) const {
    return findChild<QAction*>(objectName) != nullptr;
}

int ReportPreviewForm::currentPage() const {
    return m_view->page();
}

void ReportPreviewForm::showPage(int page) {
    if (pageCount() == 0)
        return;
    m_view->setPage(std::clamp(page, 0, pageCount() - 1));
    m_scroll->verticalScrollBar()->setValue(0);
    updatePageLabel();
}

void ReportPreviewForm::updatePageLabel() {
    m_pageLabel->setText(
        QStringLiteral(" Страница %1 из %2 ").arg(currentPage() + 1).arg(pageCount()));
}

void ReportPreviewForm::applyZoom() {
    const int choice = m_zoom ? m_zoom->currentIndex() : ZoomPageWidth;
    const QSize area = m_scroll->viewport()->size();
    const int scrollBar = m_scroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    double s;
    if (choice == ZoomPageWidth)
        s = (area.width() - (m_scroll->verticalScrollBar()->isVisible() ? 0 : scrollBar) - 8) /
            m_report.pageWidth;
    else if (choice == ZoomWholePage)
        s = std::min((area.width() - 8) / m_report.pageWidth,
                     (area.height() - 8) / m_report.pageHeight);
    else
        s = m_zoom->currentData().toInt() / 100.0 * pixelsPerUnit(*this);
    m_view->setScale(std::max(0.1, s));
}

void ReportPreviewForm::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    applyZoom();
}

void ReportPreviewForm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    applyZoom();
}

void ReportPreviewForm::saveReport() {
    ui::FileDialogOptions o;
    o.title = QStringLiteral("Сохранить отчёт");
    o.filter = QStringLiteral("Файл CSV (*.csv);;Документ PDF (*.pdf)");
    o.confirmOverwrite = false; // an existing file is replaced without a question
    const QString chosen = ui::messages().saveFileName(this, o);
    if (!chosen.isEmpty())
        saveTo(chosen);
}

void ReportPreviewForm::saveTo(const QString& chosen) {
    try {
        if (chosen.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
            writePdf(m_report, chosen);
        else
            writeCsv(m_report, csvFileName(chosen));
    } catch (const zor::Error& e) {
        ui::showError(this, e.text());
    }
}

void ReportPreviewForm::printReport() {
    QPrinter printer(QPrinter::HighResolution);
    if (!m_printerName.isEmpty() && !QPrinterInfo::printerInfo(m_printerName).isNull())
        printer.setPrinterName(m_printerName);
    QPrintDialog dialog(&printer, this);
    dialog.setMinMax(1, pageCount());
    if (dialog.exec() == QDialog::Accepted)
        printTo(printer);
}

void ReportPreviewForm::printTo(QPrinter& printer) {
    printer.setFullPage(true); // positions are measured from the paper's edges
    printer.setPageLayout(paperLayout());
    const int from = printer.fromPage() > 0 ? printer.fromPage() - 1 : 0;
    const int to = printer.toPage() > 0 ? std::min(printer.toPage(), pageCount()) : pageCount();
    QPainter painter;
    if (!painter.begin(&printer)) {
        ui::showError(this, QStringLiteral("Не удалось начать печать."));
        return;
    }
    const LogTimer t;
    const double s = pixelsPerUnit(printer);
    for (int i = from; i < to; ++i) {
        if (i > from)
            printer.newPage();
        renderPage(painter, m_report, i, s);
    }
    painter.end();
    qCDebug(lcReport) << "printed pages" << from + 1 << "to" << to << "on" << printer.printerName()
                      << "in" << t.ms() << "ms";
}

} // namespace report
