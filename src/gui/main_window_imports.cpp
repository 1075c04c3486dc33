#include "main_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

// The imports that ask before they run: e-invoices (file, package or folder) and the user's
// application, whose failed check shows the page and field to correct.

void MainWindow::importKsef()
{
    const QString title = QStringLiteral("Importuj e-faktury (KSeF)");
    QDialog box(this);
    box.setWindowTitle(title);
    auto *layout = new QVBoxLayout(&box);
    auto *question =
        new QLabel(QStringLiteral("Skąd wczytać e-faktury FA(3) lub FA(2)?\n\nWejdą tylko faktury sprzedaży "
                                  "podatnika (NIP sprzedawcy jak w nagłówku); faktura, której numer jest "
                                  "już w tabeli, zostanie pominięta."),
                   &box);
    question->setWordWrap(true);
    question->setMinimumWidth(420);
    layout->addWidget(question);
    auto *deep = new QCheckBox(QStringLiteral("folder razem z podfolderami"), &box);
    auto *schema = new QCheckBox(QStringLiteral("sprawdź każdy plik ze schemą FA(3)/FA(2)"), &box);
    schema->setChecked(true);
    layout->addWidget(deep);
    layout->addWidget(schema);
    auto *buttons = new QDialogButtonBox(&box);
    QPushButton *file = buttons->addButton(QStringLiteral("Plik XML lub paczka ZIP…"), QDialogButtonBox::AcceptRole);
    QPushButton *folder = buttons->addButton(QStringLiteral("Folder z plikami XML…"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Anuluj"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    QAbstractButton *clicked = nullptr;
    connect(buttons, &QDialogButtonBox::clicked, &box, [&](QAbstractButton *b) {
        clicked = b;
        box.done(b == file || b == folder ? QDialog::Accepted : QDialog::Rejected);
    });
    layout->setSizeConstraint(QLayout::SetFixedSize); // the wrapped question is shown whole
    box.exec();
    std::optional<QString> path;
    if (clicked == file)
        path = m_port->chooseOpenFile(title,
                                      QStringLiteral("E-faktury i paczki (*.xml *.XML *.zip *.ZIP);;"
                                                     "Wszystkie pliki [*.*] (*)"),
                                      QStringLiteral("KSEF"));
    else if (clicked == folder)
        path = m_port->chooseFolder(title);
    if (!path)
        return;
    const bool recursive = deep->isChecked();
    const bool validate = schema->isChecked();
    runCommand(QStringLiteral("act_ImportujKSeF"),
               [this, p = *path, recursive, validate] { m_workspace->importKsef(p, validate, recursive); });
}

void MainWindow::importThroughApplication()
{
    QAction *self = m_actions.value(QStringLiteral("act_ImportujZAplikacji"));
    self->setEnabled(false);
    // a failed check: a beep, its page shown, its field focused, and then its message
    m_workspace->importThroughApplication([this](ExternalApp::Check check) {
        QString page, field;
        switch (check) {
        case ExternalApp::Check::Passed:
            return;
        case ExternalApp::Check::Application:
        case ExternalApp::Check::ApplicationMissing:
            page = QStringLiteral("ts_Config");
            field = QStringLiteral("fn_Imp_Aplikacja_FileName");
            break;
        case ExternalApp::Check::ExchangeFile:
            page = QStringLiteral("ts_Config");
            field = QStringLiteral("fn_Imp_PlikWymiany_FileName");
            break;
        case ExternalApp::Check::DateFrom:
            page = QStringLiteral("ts_Naglowek");
            field = QStringLiteral("ed_DataOd_Date");
            break;
        case ExternalApp::Check::DateTo:
            page = QStringLiteral("ts_Naglowek");
            field = QStringLiteral("ed_DataDo_Date");
            break;
        }
        QApplication::beep();
        const int index = m_pages->indexOf(m_pageByName.value(page));
        m_pages->setTabVisible(index, true);
        m_pages->setCurrentIndex(index);
        if (QWidget *w = optionWidget(field))
            w->setFocus();
    });
    updateEnables();
}
