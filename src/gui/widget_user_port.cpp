#include "widget_user_port.h"

#include "base/settings_file.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMainWindow>
#include <QMessageBox>
#include <QProgressBar>
#include <QStatusBar>
#include <QTranslator>
#include <cstdlib>

// Dialog texts use CR alone for line breaks; Qt's boxes want LF.
static QString shown(const QString &text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(u'\r', u'\n');
    return t;
}

void WidgetUserPort::info(const QString &caption, const QString &text)
{
    QMessageBox::information(m_parent, caption, shown(text));
}

void WidgetUserPort::notice(const QString &caption, const QString &text)
{
    auto *window = qobject_cast<QMainWindow *>(m_parent ? m_parent->window() : nullptr);
    if (!window) {
        info(caption, text);
        return;
    }
    // the line stays until the next one; line breaks of a message become spaces
    window->statusBar()->showMessage(QString(text).replace(u'\r', u' ').replace(u'\n', u' '));
}

void WidgetUserPort::error(const QString &caption, const QString &text)
{
    QMessageBox::critical(m_parent, caption, shown(text));
}

bool WidgetUserPort::question(const QString &caption, const QString &text)
{
    return QMessageBox::question(m_parent, caption, shown(text), QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

QString WidgetUserPort::kindOf(const QString &filter, const QString &defaultExt)
{
    if (!defaultExt.isEmpty())
        return defaultExt.toLower();
    // "Tekstowe pliki importu [TXT,CSV] (*.TXT …)": the words before the first bracket
    QString name = filter.section(u'(', 0, 0).section(u'[', 0, 0).trimmed();
    QString key;
    for (QChar c : name)
        key += c.isLetterOrNumber() && c.unicode() < 128 ? c : QChar(u'_');
    return key.isEmpty() ? QStringLiteral("inne") : key;
}

QString WidgetUserPort::lastFolder(const QString &kind) const
{
    if (!m_settings)
        return QString();
    const auto folder = m_settings->value(m_section, kind);
    return folder && QDir(*folder).exists() ? *folder : QString();
}

void WidgetUserPort::rememberFolder(const QString &kind, const QString &file)
{
    if (m_settings)
        m_settings->setValue(m_section, kind, QFileInfo(file).absolutePath());
}

std::optional<QString> WidgetUserPort::chooseOpenFile(const QString &title, const QString &filter,
                                                      const QString &defaultExt)
{
    const QString kind = kindOf(filter, defaultExt);
    const QString file = QFileDialog::getOpenFileName(m_parent, title, lastFolder(kind), filter);
    if (file.isEmpty())
        return std::nullopt;
    rememberFolder(kind, file);
    return file;
}

std::optional<QString> WidgetUserPort::chooseFolder(const QString &title)
{
    const QString kind = QStringLiteral("FOLDER");
    const QString folder = QFileDialog::getExistingDirectory(m_parent, title, lastFolder(kind));
    if (folder.isEmpty())
        return std::nullopt;
    // the folder itself is remembered, not the one it stands in
    rememberFolder(kind, QDir(folder).filePath(QStringLiteral("x")));
    return folder;
}

std::optional<QString> WidgetUserPort::chooseSaveFile(const QString &title, const QString &filter,
                                                      const QString &defaultExt)
{
    const QString kind = kindOf(filter, defaultExt);
    QFileDialog dialog(m_parent, title, lastFolder(kind), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultExt);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    rememberFolder(kind, dialog.selectedFiles().constFirst());
    return dialog.selectedFiles().constFirst();
}

void WidgetUserPort::progressShow(int minimum, int maximum)
{
    if (!m_gauge)
        return;
    m_gauge->setRange(minimum, maximum);
    m_gauge->setValue(minimum);
    m_gauge->setEnabled(true);
    if (m_gaugeShown)
        m_gaugeShown->setVisible(true);
}

void WidgetUserPort::progressPosition(int position)
{
    // passes report every line: the bar is moved only when it would show a change
    if (!m_gauge)
        return;
    const int span = std::max(1, m_gauge->maximum() - m_gauge->minimum());
    const int step = std::max(1, span / 500);
    if (position == m_gauge->maximum() || std::abs(position - m_gauge->value()) >= step)
        m_gauge->setValue(position);
}

void WidgetUserPort::progressHide()
{
    if (m_gauge)
        m_gauge->setEnabled(false);
    if (m_gaugeShown)
        m_gaugeShown->setVisible(false);
}

void WidgetUserPort::setBusy(bool busy)
{
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void WidgetUserPort::processEvents()
{
    // long loops call this per record: let events run only every few milliseconds
    static QElapsedTimer timer;
    if (timer.isValid() && timer.elapsed() < 15)
        return;
    timer.start();
    QCoreApplication::processEvents();
}

bool WidgetUserPort::installPolishTranslations()
{
    // the program speaks only Polish, whatever the process locale
    static QTranslator translator;
    if (!translator.isEmpty())
        return true;
    if (!translator.load(QLocale(QLocale::Polish, QLocale::Poland), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    return QCoreApplication::installTranslator(&translator);
}
