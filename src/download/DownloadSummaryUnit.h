#pragma once
#include <QDialog>

class QLabel;
class QPushButton;

// How many results the instrument held and how many the download added to the project.
class TDownloadSummaryForm : public QDialog {
    Q_OBJECT
public:
    explicit TDownloadSummaryForm(QWidget* owner = nullptr);

    int ResultsInDeviceMemory() const { return m_inDevice; }
    void setResultsInDeviceMemory(int value);
    int ResultsAddedToProject() const { return m_added; }
    void setResultsAddedToProject(int value);

    QLabel* ResultsInDeviceMemoryLabel = nullptr;
    QLabel* ResultsAddedToProjectLabel = nullptr;
    QPushButton* CloseButton = nullptr;

protected:
    void reject() override; // Esc closes as the Close button does

private:
    int m_inDevice = 0;
    int m_added = 0;
};
