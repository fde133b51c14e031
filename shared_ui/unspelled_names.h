#pragma once

#include <QIdentityProxyModel>
#include <QList>
#include <QString>

class QFileDialog;

namespace lumora {

// Qt 6 reads every file name as UTF-8 and leaves out of a folder's listing
// each name that is not (such as a name written in GBK): Qt's file dialog
// could never show those files.  This model shows them after the files Qt
// lists, with replacement characters where the bytes are not UTF-8, and
// knows each one's path in the form the file functions take (DecodeArgument).
class UnspelledNames : public QIdentityProxyModel
{
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    void setSourceModel(QAbstractItemModel *source) override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    QModelIndex sibling(int row, int column, const QModelIndex &idx) const override;
    QModelIndex mapToSource(const QModelIndex &proxyIndex) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QModelIndexList match(const QModelIndex &start, int role, const QVariant &value, int hits = 1,
                          Qt::MatchFlags flags = Qt::MatchFlags(Qt::MatchStartsWith | Qt::MatchWrap)) const override;

    // Reads the shown folder again, under the name filters now set.
    void Refresh();
    bool IsUnspelled(const QModelIndex &index) const;
    // The file the dialog answered with `chosen` (the shown path of one of
    // these names, or any other path): its path as the file functions take
    // it.  `selected` is the row chosen in the list, if any.
    QString PathFor(const QString &chosen, const QModelIndex &selected) const;

private:
    struct Entry
    {
        QString shown;       // the name as Qt spells it, U+FFFD for each bad byte
        QString shownPath;   // the folder and the shown name: what the dialog answers
        QString path;        // the folder and the name's own bytes
        qint64 size = 0;
    };
    int Extra(const QModelIndex &index) const;
    int FolderRows() const;
    bool IsFolder(const QModelIndex &proxyParent) const;

    QPersistentModelIndex m_folder;   // in the source model
    QString m_folderPath;
    QList<Entry> m_entries;
    char m_tag = 0;   // its address marks the indexes of the added rows
};

// Lets the user choose the added rows in the dialog as the others: a
// selected one fills in the name box, and a double click or Enter opens it.
void ChooseUnspelledNames(QFileDialog &dialog, UnspelledNames &names);

} // namespace lumora
