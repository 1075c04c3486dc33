#include "control_binder.h"

#include "base/controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

ControlBinder::ControlBinder(Controls &controls, QObject *parent) : QObject(parent), m_controls(controls)
{
    connect(&m_controls, &Controls::changed, this, [this](const QString &key) {
        show(key);
        emit changed(key);
    });
}

QCheckBox *ControlBinder::check(const QString &key, const QString &caption, QWidget *parent)
{
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(key.section(u'_', 0, -2));
    m_widgets.insert(key, box);
    show(key);
    connect(box, &QCheckBox::toggled, this, [this, key](bool on) {
        if (!m_updating)
            m_controls.setChecked(key, on);
    });
    return box;
}

QRadioButton *ControlBinder::radio(const QString &key, const QString &caption, QWidget *parent)
{
    auto *button = new QRadioButton(caption, parent);
    button->setObjectName(key.section(u'_', 0, -2));
    button->setAutoExclusive(false); // the groups are the options' own
    m_widgets.insert(key, button);
    show(key);
    connect(button, &QRadioButton::clicked, this, [this, key, button] {
        if (m_updating)
            return;
        // a radio button is selected by a click, never cleared by one
        m_controls.setChecked(key, true);
        show(key);
        Q_UNUSED(button);
    });
    return button;
}

QLineEdit *ControlBinder::text(const QString &key, QWidget *parent, int maxLength)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(key.section(u'_', 0, -2));
    if (maxLength > 0)
        edit->setMaxLength(maxLength);
    m_widgets.insert(key, edit);
    show(key);
    connect(edit, &QLineEdit::textEdited, this, [this, key](const QString &t) { m_controls.setText(key, t); });
    return edit;
}

QComboBox *ControlBinder::combo(const QString &key, const QStringList &items, QWidget *parent)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(key.section(u'_', 0, -2));
    box->addItems(items);
    m_widgets.insert(key, box);
    show(key);
    connect(box, &QComboBox::currentIndexChanged, this, [this, key](int index) {
        if (!m_updating)
            m_controls.setItemIndex(key, index);
    });
    return box;
}

void ControlBinder::show(const QString &key)
{
    QWidget *w = m_widgets.value(key);
    if (!w)
        return;
    m_updating = true;
    const QVariant v = m_controls.value(key);
    if (auto *b = qobject_cast<QAbstractButton *>(w))
        b->setChecked(v.toBool());
    else if (auto *e = qobject_cast<QLineEdit *>(w)) {
        if (e->text() != v.toString())
            e->setText(v.toString());
    } else if (auto *c = qobject_cast<QComboBox *>(w))
        c->setCurrentIndex(v.toInt() < c->count() ? v.toInt() : -1);
    m_updating = false;
}
