#include "PreviewPageView.h"

#include "PageRenderer.h"

#include <QPainter>

namespace report {

PreviewPageView::PreviewPageView(const PreparedReport& report, QWidget* parent)
    : QWidget(parent), m_report(report) {
    setScale(1);
}

void PreviewPageView::setPage(int page) {
    m_page = page;
    update();
}

void PreviewPageView::setScale(double pixelsPerUnit) {
    m_scale = pixelsPerUnit;
    setFixedSize(int(m_report.pageWidth * m_scale) + 1, int(m_report.pageHeight * m_scale) + 1);
    update();
}

void PreviewPageView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setRenderHint(QPainter::TextAntialiasing);
    renderPage(p, m_report, m_page, m_scale);
}

} // namespace report
