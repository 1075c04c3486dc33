#pragma once

#include "validate/schema_download.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

// TForm_GetFileFromHttp: the progress of one download, with its cancel button.
class DownloadWindow : public QDialog, public DownloadView
{
    Q_OBJECT
public:
    explicit DownloadWindow(QWidget *parent = nullptr);

    void setUp(const QString &caption, const QString &heading, const QString &address) override;
    void begins(qint64 expected) override;
    bool progress(const QString &text, qint64 bytes) override;
    void over(const QString &text) override;
    bool aborted() const { return m_aborted; }

private:
    QLabel *m_what;
    QLabel *m_heading;
    QLabel *m_from;
    QLabel *m_progress;
    QProgressBar *m_bar;
    QPushButton *m_cancel;
    bool m_aborted = false;
};
