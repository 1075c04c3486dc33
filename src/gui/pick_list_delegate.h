#pragma once

#include <QStringList>
#include <QStyledItemDelegate>

class DocumentModel;

// Pick lists: the tax rates and the kinds of invoice are offered, other text may be typed; a
// text field's editor stops at the field's width.
class PickListDelegate : public QStyledItemDelegate
{
public:
    PickListDelegate(DocumentModel *model, QObject *parent) : QStyledItemDelegate(parent), m_model(model) {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;

private:
    QStringList pickList(const QModelIndex &index) const;
    DocumentModel *m_model;
};
