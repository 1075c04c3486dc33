#include "download_window.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

DownloadWindow::DownloadWindow(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form_GetFileFromHttp"));
    auto *grid = new QGridLayout(this);
    QFont bold = font();
    bold.setBold(true);
    m_what = new QLabel(QStringLiteral("Pobierz do :"), this);
    m_what->setObjectName(QStringLiteral("Label_Pobierz_"));
    m_heading = new QLabel(this);
    m_heading->setObjectName(QStringLiteral("Label_to"));
    m_heading->setFont(bold);
    m_from = new QLabel(this);
    m_from->setObjectName(QStringLiteral("Label_From"));
    m_from->setFont(bold);
    m_progress = new QLabel(QStringLiteral("..."), this);
    m_progress->setObjectName(QStringLiteral("Label_Progress"));
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("ProgressBar"));
    m_cancel = new QPushButton(QStringLiteral("&Przerwij ..."), this);
    m_cancel->setObjectName(QStringLiteral("bb_Cancel"));
    m_cancel->setEnabled(false);
    grid->addWidget(m_what, 0, 0);
    grid->addWidget(m_heading, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Z adresu :"), this), 1, 0);
    grid->addWidget(m_from, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Status operacji :"), this), 2, 0);
    grid->addWidget(m_progress, 2, 1);
    grid->addWidget(m_bar, 3, 0, 1, 2);
    grid->addWidget(m_cancel, 4, 1, Qt::AlignRight);
    connect(m_cancel, &QPushButton::clicked, this, [this] { m_aborted = true; });
    setFixedSize(480, 170);
}

void DownloadWindow::setUp(const QString &caption, const QString &heading, const QString &address)
{
    setWindowTitle(caption);
    m_what->setText(QStringLiteral("Pobieranie :"));
    m_heading->setText(heading);
    m_from->setText(address);
    m_cancel->setEnabled(true);
    show();
    activateWindow();
    QApplication::processEvents();
}

void DownloadWindow::begins(qint64 expected)
{
    m_bar->setMaximum(int(std::min<qint64>(expected, std::numeric_limits<int>::max())));
}

bool DownloadWindow::progress(const QString &text, qint64 bytes)
{
    m_progress->setText(text);
    m_bar->setValue(int(std::min<qint64>(bytes, m_bar->maximum())));
    return !m_aborted;
}

void DownloadWindow::over(const QString &text)
{
    m_progress->setText(text);
    m_bar->setValue(m_bar->maximum());
    m_cancel->setEnabled(false);
    QApplication::processEvents();
}
