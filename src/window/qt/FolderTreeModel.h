// Dir1 in Qt: the folder tree from "/", read through the platform layer.
#pragma once

#include <QAbstractItemModel>
#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

namespace quillet::window::qt {

// The folder tree from "/" for Dir1, read through the platform layer so that folders named
// in any encoding are listed and opened by their bytes. Folders are listed when first opened
// and again by refresh(); hidden ones are left out but for those on the way to the folder
// the tree was last shown at.
class FolderTreeModel : public QAbstractItemModel {
    Q_OBJECT

  public:
    // The folder's path as shown (QString).
    static constexpr int PathRole = Qt::UserRole + 1;

    explicit FolderTreeModel(QObject* parent = nullptr);
    ~FolderTreeModel() override;

    // Returns the index of the folder at path (absolute, plain bytes), listing the folders on
    // the way, hidden ones included; the deepest one found when a part is missing.
    QModelIndex indexOf(const QByteArray& path);

    // Returns the path bytes of the folder at index ("/" for none).
    QByteArray pathOf(const QModelIndex& index) const;

    // Lists the folder at index again: new folders appear, vanished ones go.
    void refresh(const QModelIndex& index);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

  private:
    struct Node;

    Node* nodeOf(const QModelIndex& index) const;
    QModelIndex indexOfNode(Node* node) const;
    // Reads node's folders and brings its children in line with them.
    void list(Node* node);

    std::unique_ptr<Node> root_; // holds "/" as its one child
    QByteArray keptPath_;        // hidden folders on the way to it stay shown
};

} // namespace quillet::window::qt
