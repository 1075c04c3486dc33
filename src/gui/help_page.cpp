#include "help_page.h"

#include "page_includes.h"

HelpPage::HelpPage(PageContext &ctx, QWidget *parent) : Page(ctx, parent)
{
    QWidget *page = this;
    auto *layout = new QVBoxLayout(page);
    auto *title = new QLabel(utf8Text("Opis pól wg pliku XSD:"), page);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    auto *loadButton = new QPushButton(utf8Text("Wczytaj ..."), page);
    loadButton->setObjectName(QStringLiteral("b_LoadXSD"));
    layout->addWidget(row(page, {title, loadButton}));
    auto *memo = new QPlainTextEdit(m_ctx.workspace->schemaPrompt(), page);
    memo->setObjectName(QStringLiteral("MemoXSD"));
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    layout->addWidget(memo, 1);
    connect(loadButton, &QPushButton::clicked, this, [this, memo, loadButton] {
        DownloadWindow window(this);
        QString text;
        memo->setUpdatesEnabled(false);
        const bool ok = m_ctx.workspace->loadSchemaDescriptions(&window, &text);
        if (!text.isEmpty())
            memo->setPlainText(text);
        if (ok)
            loadButton->hide(); // the schema is loaded once a run
        memo->setUpdatesEnabled(true);
    });
}
