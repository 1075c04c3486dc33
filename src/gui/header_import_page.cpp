#include "header_import_page.h"

#include "page_includes.h"

HeaderImportPage::HeaderImportPage(PageContext &ctx, QWidget *parent) : Page(ctx, parent)
{
    QWidget *page = this;
    auto *layout = new QVBoxLayout(page);
    auto *files = new QGroupBox(utf8Text(" Układ pliku importu "), page);
    auto *fl = new QVBoxLayout(files);
    fl->addWidget(m_ctx.binder->radio(QStringLiteral("rb_WspolnyPlik_Checked"),
                                      utf8Text("Nagłowek i Faktury w jednym pliku"), files));
    fl->addWidget(
        m_ctx.binder->radio(QStringLiteral("rb_nag_OsobnyPlik_Checked"), utf8Text("Import z osobnego pliku"), files));
    fl->addWidget(
        m_ctx.binder->radio(QStringLiteral("rb_sp_BrakPliku_Checked"), utf8Text("Brak danych do importu"), files));
    auto *markers = new QWidget(files);
    auto *ml = new QFormLayout(markers);
    ml->addRow(utf8Text("Identyfikator początku bloku"),
               m_ctx.binder->text(QStringLiteral("edx_Nag_Start_Text"), markers));
    ml->addRow(utf8Text("Identyfikator końca bloku"),
               m_ctx.binder->text(QStringLiteral("edx_Nag_Koniec_Text"), markers));
    fl->addWidget(markers);
    auto *panel = new QGroupBox(utf8Text("Zapis danych nagłówka:"), page);
    (*m_ctx.named).insert(QStringLiteral("HeaderLayoutPanel"), panel);
    auto *pl = new QVBoxLayout(panel);
    pl->addWidget(m_ctx.binder->radio(QStringLiteral("rb_nag_kolumny_Checked"),
                                      utf8Text("układ kolumn (pola w kolejnych wierszach)"), panel));
    pl->addWidget(m_ctx.binder->radio(QStringLiteral("rb_nag_wiersz_Checked"),
                                      utf8Text("układ wiersza (pola oddzielone separatorem)"), panel));
    pl->addWidget(m_ctx.binder->check(QStringLiteral("chb_nag_OdDrugiegoWiersza_Checked"),
                                      utf8Text("zignoruj pierwszy wiersz (opisowy)"), panel));
    layout->addWidget(row(page, {files, panel}));
    QWidget *map = mappingBox(m_ctx, utf8Text("Tabela połączenia Nagłówka"), MappingTables::NAG);
    (*m_ctx.named).insert(QStringLiteral("SG_NAG"), map);
    layout->addWidget(map, 1);
}
