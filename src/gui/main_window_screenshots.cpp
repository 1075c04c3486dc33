#include "main_window.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTabWidget>

// Pictures of every visible page, for the guide and for looking at the window as a user does.

bool MainWindow::renderPages(const QString &dir)
{
    QDir().mkpath(dir);
    applyActivationRule();
    bool ok = true;
    for (int i = 0; i < m_pages->count(); ++i) {
        if (!m_pages->isTabVisible(i))
            continue;
        m_pages->setCurrentIndex(i);
        // the description page is shown with the schema loaded when it is at hand
        if (auto *load = m_pages->widget(i)->findChild<QPushButton *>(QStringLiteral("b_LoadXSD"));
            load && load->isVisible() &&
            QFile::exists(QDir(m_workspace->homeDir()).filePath(QStringLiteral("Schemat_JPK_FA(4)_v1-0.xsd"))))
            load->click();
        QCoreApplication::processEvents();
        const QString name =
            QStringLiteral("%1_%2.png").arg(i + 1, 2, 10, QLatin1Char('0')).arg(m_pages->widget(i)->objectName());
        ok = grab().save(QDir(dir).filePath(name)) && ok;
    }
    return ok;
}
