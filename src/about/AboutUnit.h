#pragma once
#include <QDialog>
#include <QString>
#include <functional>

class QLabel;

namespace about {

class LinkLabel;

// The About box: every line comes from the version resource of the executable it is given.
class TAboutForm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget* owner);

    // Fills the labels and links from the file's string table 041904E3. Without a resource
    // every label keeps its own name; a missing key leaves its label (and link) as it was.
    void LoadVersionInfo(const QString& fileName);

    const QString& emailLink() const { return EMailLink; }
    const QString& webLink() const { return WebLink; }

    void CompanyEMailLabelClick();
    void CompanyWebLabelClick();

    void reject() override { accept(); } // Esc closes with OK, as the Close button does

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* addLabel(const char* name, int left, int top, int width = 0, int height = 0);
    LinkLabel* addLink(const char* name, int left, int top);

    QLabel* ProductNameLabel;
    QLabel* CommentsLabel;
    QLabel* FileVersionLabel;
    QLabel* YearLabel;
    QLabel* CompanyNameLabel;
    QLabel* CompanyPhoneLabel;
    LinkLabel* CompanyEMailLabel;
    LinkLabel* CompanyWebLabel;
    QString EMailLink;
    QString WebLink;
};

// Opens a link with the desktop's program for it. Tests install a hook that records the link
// instead; an empty hook restores the desktop.
using LinkHook = std::function<void(const QString& link)>;
void setLinkHook(LinkHook hook);

// The "О программе" menu entry: the About box for the executable at `executablePath`, modal.
void showAbout(QWidget* owner, const QString& executablePath);

} // namespace about
