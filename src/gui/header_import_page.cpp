#include "header_import_page.h"

#include "page_includes.h"

HeaderImportPage::HeaderImportPage(PageContext &ctx, QWidget *parent) : QWidget(parent), m_ctx(ctx)
{
    QWidget *page = this;
    auto *layout = new QVBoxLayout(page);
    auto *files = new QGroupBox(S(" Układ pliku importu "), page);
    auto *fl = new QVBoxLayout(files);
    fl->addWidget(
        m_ctx.binder->radio(QStringLiteral("rb_WspolnyPlik_Checked"), S("Nagłowek i Faktury w jednym pliku"), files));
    fl->addWidget(
        m_ctx.binder->radio(QStringLiteral("rb_nag_OsobnyPlik_Checked"), S("Import z osobnego pliku"), files));
    fl->addWidget(m_ctx.binder->radio(QStringLiteral("rb_sp_BrakPliku_Checked"), S("Brak danych do importu"), files));
    auto *markers = new QWidget(files);
    auto *ml = new QFormLayout(markers);
    ml->addRow(S("Identyfikator początku bloku"), m_ctx.binder->text(QStringLiteral("edx_Nag_Start_Text"), markers));
    ml->addRow(S("Identyfikator końca bloku"), m_ctx.binder->text(QStringLiteral("edx_Nag_Koniec_Text"), markers));
    fl->addWidget(markers);
    auto *panel = new QGroupBox(S("Zapis danych nagłówka:"), page);
    (*m_ctx.named).insert(QStringLiteral("HeaderLayoutPanel"), panel);
    auto *pl = new QVBoxLayout(panel);
    pl->addWidget(m_ctx.binder->radio(QStringLiteral("rb_nag_kolumny_Checked"),
                                      S("układ kolumn (pola w kolejnych wierszach)"), panel));
    pl->addWidget(m_ctx.binder->radio(QStringLiteral("rb_nag_wiersz_Checked"),
                                      S("układ wiersza (pola oddzielone separatorem)"), panel));
    pl->addWidget(m_ctx.binder->check(QStringLiteral("chb_nag_OdDrugiegoWiersza_Checked"),
                                      S("zignoruj pierwszy wiersz (opisowy)"), panel));
    layout->addWidget(row(page, {files, panel}));
    QWidget *map = mappingBox(m_ctx, S("Tabela połączenia Nagłówka"), MappingTables::NAG);
    (*m_ctx.named).insert(QStringLiteral("SG_NAG"), map);
    layout->addWidget(map, 1);
}
