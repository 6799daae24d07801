#pragma once
#include "PreparedReport.h"

#include <QWidget>

// One page of a prepared report drawn on white paper at a zoom factor.
namespace report {

class PreviewPageView : public QWidget {
    Q_OBJECT
public:
    PreviewPageView(const PreparedReport& report, QWidget* parent = nullptr);
    void setPage(int page);
    int page() const { return m_page; }
    // Screen pixels per report unit.
    void setScale(double pixelsPerUnit);
    double scale() const { return m_scale; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    const PreparedReport& m_report;
    int m_page = 0;
    double m_scale = 1;
};

} // namespace report
