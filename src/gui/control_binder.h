#pragma once

#include <QHash>
#include <QObject>
#include <QString>

class Controls;
class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QWidget;

// Binds widgets to the options of the workspace, both ways: a click or an edit sets the
// option (running its click rule), a changed option shows in its widget.
class ControlBinder : public QObject
{
    Q_OBJECT
public:
    explicit ControlBinder(Controls &controls, QObject *parent = nullptr);

    QCheckBox *check(const QString &key, const QString &caption, QWidget *parent);
    QRadioButton *radio(const QString &key, const QString &caption, QWidget *parent);
    QLineEdit *text(const QString &key, QWidget *parent, int maxLength = 0);
    QComboBox *combo(const QString &key, const QStringList &items, QWidget *parent);
    QWidget *widget(const QString &key) const { return m_widgets.value(key); }

signals:
    void changed(const QString &key);

private:
    void show(const QString &key);

    Controls &m_controls;
    QHash<QString, QWidget *> m_widgets;
    bool m_updating = false;
};
