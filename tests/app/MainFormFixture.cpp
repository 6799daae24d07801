#include "MainFormFixture.h"

#include "store/DescriptionDataSet.h"
#include "store/ResultDataSet.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QTabWidget>
#include <QTest>

MainFormTest::~MainFormTest() {
    m_form.reset();
    m_store.reset();
}

TMainFormOptions MainFormTest::options() const {
    return {path("zor"), m_dir.path() + "/", path("zor.ini"), false};
}

TMainForm& MainFormTest::start() {
    m_form = std::make_unique<TMainForm>(options(), m_store.get());
    m_form->show();
    m_form->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(m_form.get()));
    idle();
    return *m_form;
}

void MainFormTest::idle() {
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

void MainFormTest::writeSettings(const QByteArray& text) {
    QFile f(path("zor.ini"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

QByteArray MainFormTest::settingsText() const {
    QFile f(path("zor.ini"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString MainFormTest::makeProject(const QString& name, int results) {
    const QString file = path(name);
    TMainDataModule store;
    EXPECT_TRUE(store.CreateProjectDatabase(file)) << store.lastFailureReason().toStdString();
    EXPECT_TRUE(store.OpenProjectDatabase(file)) << store.lastFailureReason().toStdString();
    for (int i = 1; i <= results; ++i) {
        TMsrResult r;
        r.MsrDateTime = 45000 + i / 24.0;
        r.MsrNumber = i;
        r.Load = 10.5 * i;
        r.RatedLoad = 500;
        r.ObjectName = "Obj";
        store.AddResult(r);
    }
    store.SaveChanges();
    store.CloseProjectDatabase();
    return file;
}

std::vector<QByteArray> MainFormTest::commentsIn(const QString& file) {
    TMainDataModule store;
    std::vector<QByteArray> comments;
    if (!store.OpenProjectDatabase(file))
        return comments;
    auto* ds = store.dsetZOR();
    for (int row = 0; row < ds->recordCount(); ++row)
        comments.push_back(ds->comment(row));
    store.CloseProjectDatabase();
    return comments;
}

QByteArray MainFormTest::descriptionIn(const QString& file) {
    TMainDataModule store;
    if (!store.OpenProjectDatabase(file))
        return "<not a project>";
    QByteArray text = store.DescriptionDataSet()->value(0, store::PROJECT_DESC).toByteArray();
    store.CloseProjectDatabase();
    return text;
}

void MainFormTest::type(QWidget* memo, const QString& text) {
    if (m_form->PageControl->indexOf(memo) < 0)
        m_form->PageControl->setCurrentWidget(m_form->DataTabSheet);
    else
        m_form->PageControl->setCurrentWidget(memo);
    memo->setFocus();
    // Key events carrying the text: QTest's key helpers know ASCII only.
    for (QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(memo, &press);
        QApplication::sendEvent(memo, &release);
    }
}

QString MainFormTest::questionText() const {
    const auto* shown = m_messages.last();
    return shown ? shown->text : QString();
}
