#include "about/AboutUnit.h"

#include "about/LinkLabel.h"
#include "about/VersionResource.h"
#include "ui/FormFont.h"

#include <QDesktopServices>
#include <QFrame>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

namespace about {

namespace {

LinkHook& linkHook() {
    static LinkHook hook;
    return hook;
}

void openLink(const QString& link) {
    if (link.isEmpty())
        return;
    if (linkHook())
        linkHook()(link);
    else
        QDesktopServices::openUrl(QUrl(link, QUrl::TolerantMode)); // a failure is not reported
}

} // namespace

void setLinkHook(LinkHook hook) {
    linkHook() = std::move(hook);
}

TAboutForm::TAboutForm(QWidget* owner)
    : QDialog(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(QStringLiteral("О программе"));
    setFont(ui::formFont(this));
    setFixedSize(274, 197);

    auto* bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("Bevel1"));
    bevel->setFrameStyle(QFrame::Box | QFrame::Sunken);
    bevel->setGeometry(0, 0, 273, 161);

    ProductNameLabel = addLabel("ProductNameLabel", 16, 16);
    CommentsLabel = addLabel("CommentsLabel", 16, 32, 249, 25);
    FileVersionLabel = addLabel("FileVersionLabel", 16, 64);
    YearLabel = addLabel("YearLabel", 104, 64);
    CompanyNameLabel = addLabel("CompanyNameLabel", 16, 88);
    CompanyPhoneLabel = addLabel("CompanyPhoneLabel", 16, 104, 249, 25);
    CompanyEMailLabel = addLink("CompanyEMailLabel", 16, 136);
    CompanyWebLabel = addLink("CompanyWebLabel", 144, 136);
    YearLabel->raise(); // a long version runs under the year, which stays on top

    auto* close = new QPushButton(QStringLiteral("Закрыть"), this);
    close->setObjectName(QStringLiteral("CloseButton"));
    close->setGeometry(100, 168, 75, 25);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(CompanyEMailLabel, &LinkLabel::clicked, this, [this] { CompanyEMailLabelClick(); });
    connect(CompanyWebLabel, &LinkLabel::clicked, this, [this] { CompanyWebLabelClick(); });
}

QLabel* TAboutForm::addLabel(const char* name, int left, int top, int width, int height) {
    auto* label = new QLabel(QString::fromLatin1(name), this);
    label->setObjectName(QString::fromLatin1(name));
    label->move(left, top);
    if (width > 0) {
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setFixedSize(width, height); // what does not fit is cut off
    } else {
        label->adjustSize();
    }
    return label;
}

LinkLabel* TAboutForm::addLink(const char* name, int left, int top) {
    auto* label = new LinkLabel(this);
    label->setText(QString::fromLatin1(name));
    label->setObjectName(QString::fromLatin1(name));
    label->move(left, top);
    label->adjustSize();
    return label;
}

void TAboutForm::LoadVersionInfo(const QString& fileName) {
    const std::optional<VersionBlock> block = readVersionBlock(fileName);
    if (!block)
        return;
    QString value;
    const auto found = [&](const char* key) {
        return GetVersionValue(*block, QString::fromLatin1(key), value);
    };
    const auto show = [](QLabel* label, const QString& text) {
        label->setText(text);
        if (!label->wordWrap())
            label->adjustSize();
    };
    if (found("ProductName"))
        show(ProductNameLabel, value);
    if (found("Comments"))
        show(CommentsLabel, value);
    if (found("FileVersion"))
        show(FileVersionLabel, QStringLiteral("Версия ") + value + ',');
    if (found("Year"))
        show(YearLabel, value);
    if (found("CompanyName"))
        show(CompanyNameLabel, value);
    if (found("CompanyPhone"))
        show(CompanyPhoneLabel, QStringLiteral("тел. ") + value);
    if (found("CompanyEMail")) {
        show(CompanyEMailLabel, QStringLiteral("e-mail: ") + value);
        EMailLink = QStringLiteral("mailto:") + value;
    }
    if (found("CompanyWeb")) {
        WebLink = QStringLiteral("http://") + value;
        show(CompanyWebLabel, WebLink);
    }
}

void TAboutForm::CompanyEMailLabelClick() {
    openLink(EMailLink);
}

void TAboutForm::CompanyWebLabelClick() {
    openLink(WebLink);
}

void TAboutForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* desktop = screen())
        move(desktop->availableGeometry().center() - rect().center());
}

void showAbout(QWidget* owner, const QString& executablePath) {
    TAboutForm form(owner);
    form.LoadVersionInfo(executablePath);
    form.exec();
}

} // namespace about
