#include "lines_import_page.h"

#include "page_includes.h"

LinesImportPage::LinesImportPage(PageContext &ctx, bool orders, QWidget *parent) : Page(ctx, parent)
{
    QWidget *page = this;
    auto *layout = new QVBoxLayout(page);
    // the order options are twins of the invoice ones, with their own names
    const QString blok = orders ? QStringLiteral("ZPOZ") : QStringLiteral("POZ");
    const QString r = orders ? QStringLiteral("ZPoz") : QStringLiteral("Poz");
    auto *group =
        new QGroupBox(orders ? utf8Text(" Import pozycji zamówień ") : utf8Text(" Import pozycji faktur "), page);
    auto *g = new QGridLayout(group);
    g->addWidget(m_ctx.binder->radio(QStringLiteral("rb_%1_OsobnyBlok_Checked").arg(blok),
                                     utf8Text("Pozycje jedna pod drugą w osobnym bloku"), group),
                 0, 0);
    auto *markers = new QWidget(group);
    auto *ml = new QFormLayout(markers);
    ml->setContentsMargins(0, 0, 0, 0);
    ml->addRow(utf8Text("Identyfikator początku bloku"),
               m_ctx.binder->text(QStringLiteral("ed_%1_BLOK_START_Text").arg(blok), markers));
    ml->addRow(utf8Text("Identyfikator końca bloku"),
               m_ctx.binder->text(QStringLiteral("ed_%1_BLOK_END_Text").arg(blok), markers));
    g->addWidget(markers, 0, 1, 2, 1);
    g->addWidget(m_ctx.binder->radio(QStringLiteral("rb_%1_PodFaktura_Checked").arg(blok),
                                     orders ? utf8Text("Pozycje pod wierszem Zamówienia")
                                            : utf8Text("Pozycje pod wierszem Faktury"),
                                     group),
                 2, 0);
    g->addWidget(m_ctx.binder->radio(QStringLiteral("rb_%1BezposrednioPod_Checked").arg(r),
                                     utf8Text("w pierszej linii pod"), group),
                 3, 0);
    g->addWidget(m_ctx.binder->radio(QStringLiteral("rb_%1PoNaglowku_Checked").arg(r), utf8Text("po nagłówku:"), group),
                 4, 0);
    g->addWidget(m_ctx.binder->text(QStringLiteral("ed_%1_Naglowek_Text").arg(blok), group), 4, 1);
    g->addWidget(m_ctx.binder->check(QStringLiteral("chb_%1_BeginIf_Checked").arg(blok),
                                     utf8Text("Wiersz musi rozpoczynac sie od ..."), group),
                 5, 0);
    g->addWidget(m_ctx.binder->text(QStringLiteral("ed_%1_BeginIf_Text").arg(blok), group), 5, 1);
    auto *end = new QGroupBox(utf8Text("Koniec listy pozycji:"), group);
    auto *el = new QHBoxLayout(end);
    el->addWidget(m_ctx.binder->radio(QStringLiteral("rb_%1End_FL_Checked").arg(r), utf8Text("pusta linia"), end));
    el->addWidget(m_ctx.binder->radio(QStringLiteral("rb_%1End_InnyStart_Checked").arg(r),
                                      utf8Text("inny od zadanego początek wiersza"), end));
    el->addWidget(m_ctx.binder->radio(QStringLiteral("rb_%1End_Faktura_Checked").arg(r),
                                      orders ? utf8Text("nagłowek zamówienia") : utf8Text("nagłowek faktury"), end));
    el->addWidget(m_ctx.binder->radio(
        QStringLiteral("rb_%1End_FakId_Checked").arg(r),
        orders ? utf8Text("identyfikator początkowy zamówienia") : utf8Text("identyfikator początkowy faktury"), end));
    g->addWidget(end, 6, 0, 1, 2);
    g->setColumnStretch(1, 1);
    layout->addWidget(group);
    layout->addWidget(mappingBox(m_ctx,
                                 orders ? utf8Text("Tabela połączenia wiersza pozycji Zamówienia")
                                        : utf8Text("Tabela połączenia wiersza pozycji Faktury"),
                                 orders ? MappingTables::ZPOS : MappingTables::POS),
                      1);
}
