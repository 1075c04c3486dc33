#include "pick_list_delegate.h"

#include "document_model.h"
#include "tables/document_table.h"

#include <QComboBox>
#include <QLineEdit>

QWidget *PickListDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                        const QModelIndex &index) const
{
    const QStringList items = pickList(index);
    if (items.isEmpty()) {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        // a text stops at its field's width instead of being cut when it is stored
        const FieldDef &def = m_model->table()->fields().at(m_model->fieldOfColumn(index.column()));
        if (auto *line = qobject_cast<QLineEdit *>(editor); line && def.type == FieldType::String)
            CharacterLimit::apply(line, def.size);
        return editor;
    }
    auto *box = new QComboBox(parent);
    box->setEditable(true);
    box->addItems(items);
    return box;
}

void PickListDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    if (auto *box = qobject_cast<QComboBox *>(editor))
        box->setCurrentText(index.data(Qt::EditRole).toString());
    else
        QStyledItemDelegate::setEditorData(editor, index);
}

void PickListDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    if (auto *box = qobject_cast<QComboBox *>(editor))
        model->setData(index, box->currentText(), Qt::EditRole);
    else
        QStyledItemDelegate::setModelData(editor, model, index);
}

QStringList PickListDelegate::pickList(const QModelIndex &index) const
{
    const QString name = m_model->table()->fields().at(m_model->fieldOfColumn(index.column())).name;
    if (name == u"P_12")
        return {QStringLiteral("23"), QStringLiteral("22"), QStringLiteral("8"), QStringLiteral("7"),
                QStringLiteral("5"),  QStringLiteral("4"),  QStringLiteral("3"), QStringLiteral("0"),
                QStringLiteral("zw"), QStringLiteral("np"), QStringLiteral("oo")};
    if (name == u"RodzajFaktury")
        return {QStringLiteral("VAT"), QStringLiteral("KOREKTA"), QStringLiteral("ZAL")};
    return {};
}
