#include "DownloadSummaryUnit.h"

#include "DownloadUnit.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TDownloadSummaryForm::TDownloadSummaryForm(QWidget* owner)
    : QDialog(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowTitle(QStringLiteral("Результаты чтения"));
    setModal(true);

    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::StyledPanel);
    ResultsInDeviceMemoryLabel = new QLabel(QStringLiteral("0"), panel);
    ResultsAddedToProjectLabel = new QLabel(QStringLiteral("0"), panel);
    auto* grid = new QGridLayout(panel);
    grid->addWidget(new QLabel(QStringLiteral("В памяти прибора"), panel), 0, 0);
    grid->addWidget(ResultsInDeviceMemoryLabel, 0, 1, Qt::AlignRight);
    grid->addWidget(new QLabel(QStringLiteral("Добавлено в проект"), panel), 1, 0);
    grid->addWidget(ResultsAddedToProjectLabel, 1, 1, Qt::AlignRight);
    grid->setColumnMinimumWidth(1, 60);

    CloseButton = new QPushButton(QStringLiteral("Закрыть"), this);
    CloseButton->setDefault(true);
    connect(CloseButton, &QPushButton::clicked, this, [this] { done(kModalResultOk); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    layout->addWidget(CloseButton, 0, Qt::AlignHCenter);
    setFixedSize(sizeHint());
    centreOnDesktop(this);
}

void TDownloadSummaryForm::setResultsInDeviceMemory(int value) {
    m_inDevice = value;
    ResultsInDeviceMemoryLabel->setText(QString::number(value));
}

void TDownloadSummaryForm::setResultsAddedToProject(int value) {
    m_added = value;
    ResultsAddedToProjectLabel->setText(QString::number(value));
}

void TDownloadSummaryForm::reject() {
    done(kModalResultOk);
}
