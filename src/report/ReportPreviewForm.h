#pragma once
#include "PreparedReport.h"

#include <QDialog>

class QAction;
class QComboBox;
class QLabel;
class QPrinter;
class QScrollArea;

// The modal preview of a prepared report: zoom, paging and the tool buttons of the run's mode.
namespace report {

class PreviewPageView;

class ReportPreviewForm : public QDialog {
    Q_OBJECT
public:
    ReportPreviewForm(QWidget* owner, const PreparedReport& report, uint32_t buttons,
                      const QString& printerName = {});

    int currentPage() const;
    int pageCount() const { return int(m_report.pages.size()); }
    void showPage(int page);
    bool hasAction(const QString& objectName) const;

    // The save button: asks for a name; a ".pdf" name gets a PDF, any other name the CSV file.
    void saveReport();
    // Writes the name chosen in the save dialog; failures are shown and the preview stays.
    void saveTo(const QString& chosen);
    // The print button: the print dialog, then the pages it asks for.
    void printReport();
    void printTo(QPrinter& printer);

protected:
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    void buildToolBar(uint32_t buttons);
    void applyZoom();
    void updatePageLabel();

    const PreparedReport& m_report;
    QString m_printerName;
    QScrollArea* m_scroll = nullptr;
    PreviewPageView* m_view = nullptr;
    QComboBox* m_zoom = nullptr;
    QLabel* m_pageLabel = nullptr;
};

} // namespace report
