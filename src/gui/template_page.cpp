#include "template_page.h"

#include "page_includes.h"

TemplatePage::TemplatePage(PageContext &ctx, QWidget *parent) : Page(ctx, parent)
{
    QWidget *page = this;
    auto *layout = new QVBoxLayout(page);
    templateEdit = new QPlainTextEdit(m_ctx.workspace->jpkTemplate(), page);
    templateEdit->setObjectName(QStringLiteral("Memo_JPK"));
    templateEdit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    templateEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
    connect(templateEdit, &QPlainTextEdit::textChanged, this,
            [this] { m_ctx.workspace->setJpkTemplate(templateEdit->toPlainText()); });
    layout->addWidget(templateEdit);
}
