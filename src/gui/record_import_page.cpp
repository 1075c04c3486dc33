#include "record_import_page.h"

#include "page_includes.h"

RecordImportPage::RecordImportPage(PageContext &ctx, bool orders, QWidget *parent) : Page(ctx, parent)
{
    QWidget *page = this;
    auto *layout = new QVBoxLayout(page);
    const QString p = orders ? QStringLiteral("ZAM") : QStringLiteral("FAK");
    auto *group = new QGroupBox(orders ? utf8Text(" Import zamówień ") : utf8Text(" Import sprzedaży "), page);
    auto *g = new QGridLayout(group);
    g->addWidget(m_ctx.binder->check(QStringLiteral("chb_%1_append_Checked").arg(p),
                                     utf8Text("dołącz importowane dokumenty do listy"), group),
                 0, 0, 1, 2);
    auto *second = new QLabel(utf8Text("Dla import z osobnego pliku:"), group);
    (*m_ctx.named).insert(QStringLiteral("Lab_%1_OdDrugiegoWiersza").arg(p), second);
    g->addWidget(second, 1, 0);
    g->addWidget(m_ctx.binder->check(QStringLiteral("chb_%1_OdDrugiegoWiersza_Checked").arg(p),
                                     utf8Text("zignoruj pierwszy wiersz (opisowy)"), group),
                 1, 1);
    g->addWidget(m_ctx.binder->check(QStringLiteral("chb_%1_Naglowek_Checked").arg(p),
                                     orders ? utf8Text("wiersz każdego zamówienia poprzedzony jest")
                                            : utf8Text("wiersz każdej faktury poprzedzony jest"),
                                     group),
                 2, 0);
    g->addWidget(m_ctx.binder->text(QStringLiteral("ed_%1_Naglowek_Text").arg(p), group), 2, 1);
    g->addWidget(m_ctx.binder->check(QStringLiteral("chb_%1_BeginIf_Checked").arg(p),
                                     utf8Text("Wiesz musi rozpoczynac się od ..."), group),
                 3, 0);
    g->addWidget(m_ctx.binder->text(QStringLiteral("ed_%1_BeginIf_Text").arg(p), group), 3, 1);
    g->addWidget(new QLabel(utf8Text("Identyfikator początku bloku"), group), 4, 0);
    g->addWidget(m_ctx.binder->text(QStringLiteral("ed_%1_StartBlok_Text").arg(p), group), 4, 1);
    g->addWidget(new QLabel(utf8Text("Identyfikator końca bloku"), group), 5, 0);
    g->addWidget(m_ctx.binder->text(QStringLiteral("ed_%1_EndBlok_Text").arg(p), group), 5, 1);
    if (orders)
        g->addWidget(m_ctx.binder->check(QStringLiteral("chb_ZAL_NieImportuj_Checked"),
                                         utf8Text("Nie importuj danych zaliczek"), group),
                     6, 0, 1, 2);
    g->setColumnStretch(1, 1);
    layout->addWidget(group);
    layout->addWidget(mappingBox(m_ctx,
                                 orders ? utf8Text("Tabela połączenia wiersza danych Zamówienie")
                                        : utf8Text("Tabela połączenia wiersza danych Faktura"),
                                 orders ? MappingTables::ZAM : MappingTables::FAK),
                      1);
}
