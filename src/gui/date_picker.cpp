#include "date_picker.h"

#include "base/controls.h"
#include "base/user_port.h"

#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QToolButton>
#include <QWidgetAction>

DatePicker::DatePicker(Controls &controls, const QString &key, UserPort *port, QWidget *parent)
    : QWidget(parent), m_controls(controls), m_key(key), m_port(port), m_edit(new QLineEdit(this))
{
    setObjectName(key.section(u'_', 0, -2));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    m_edit->setPlaceholderText(QLocale().dateFormat(QLocale::ShortFormat).toLower());
    layout->addWidget(m_edit);
    setFocusProxy(m_edit); // focusing the picker puts the cursor into its text
    auto *button = new QToolButton(this);
    button->setText(QStringLiteral("▾"));
    button->setPopupMode(QToolButton::InstantPopup);
    auto *menu = new QMenu(button);
    auto *calendar = new QCalendarWidget(menu);
    auto *action = new QWidgetAction(menu);
    action->setDefaultWidget(calendar);
    menu->addAction(action);
    button->setMenu(menu);
    layout->addWidget(button);
    connect(menu, &QMenu::aboutToShow, this, [this, calendar] {
        const QDate d = m_controls.date(m_key);
        calendar->setSelectedDate(d == zeroDate() ? QDate::currentDate() : d);
    });
    connect(calendar, &QCalendarWidget::clicked, this, [this, menu](const QDate &d) {
        m_controls.setDate(m_key, d);
        menu->close();
    });
    connect(m_edit, &QLineEdit::editingFinished, this, &DatePicker::commit);
    connect(&m_controls, &Controls::changed, this, [this](const QString &k) {
        if (k == m_key)
            show();
    });
    show();
}

void DatePicker::show()
{
    const QDate d = m_controls.date(m_key);
    m_edit->setText(d == zeroDate() || !d.isValid() ? QString() : QLocale().toString(d, QLocale::ShortFormat));
}

void DatePicker::commit()
{
    const QString text = m_edit->text().trimmed();
    if (text.isEmpty()) {
        m_controls.setDate(m_key, zeroDate());
        return;
    }
    QDate d = QLocale().toDate(text, QLocale::ShortFormat);
    if (!d.isValid())
        d = QDate::fromString(text, Qt::ISODate);
    for (const char *form : {"d.M.yyyy", "dd-MM-yyyy"})
        if (!d.isValid())
            d = QDate::fromString(text, QString::fromLatin1(form));
    if (!d.isValid()) {
        // the wrong text stays to be mended, and the date the field held stays too
        m_port->info(applicationTitle(),
                     QStringLiteral("Wprowadzona data \"%1\" nie jest właściwą").arg(m_edit->text()));
        m_edit->setFocus();
        return;
    }
    m_controls.setDate(m_key, d);
    show();
}
