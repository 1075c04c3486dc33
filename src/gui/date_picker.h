#pragma once

#include <QWidget>

class Controls;
class QLineEdit;
class UserPort;

// A date field bound to an option: the zero date shows as empty; a text that is no date is
// refused with its message and the field is emptied.
class DatePicker : public QWidget
{
    Q_OBJECT
public:
    DatePicker(Controls &controls, const QString &key, UserPort *port, QWidget *parent = nullptr);
    QLineEdit *edit() const { return m_edit; }

private:
    void show();
    void commit();

    Controls &m_controls;
    QString m_key;
    UserPort *m_port;
    QLineEdit *m_edit;
};
