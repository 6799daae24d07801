#pragma once
#include <QLabel>

namespace about {

// A label drawn as a link (blue, underlined, hand pointer) that reports a left click.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace about
