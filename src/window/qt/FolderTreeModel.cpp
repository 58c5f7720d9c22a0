// Dir1 in Qt: folders listed when first opened, kept by their bytes.
#include "FolderTreeModel.h"

#include "form/Listing.h"
#include "platform/FolderListing.h"
#include "platform/RunError.h"

#include <algorithm>

namespace quillet::window::qt {

struct FolderTreeModel::Node {
    QByteArray path;
    QString shown;
    Node* parent = nullptr;
    std::vector<std::unique_ptr<Node>> children;
    bool listed = false;
    bool empty = false; // listed, and holds no folder to show
};

namespace {

QString shownName(const std::string& bytes) {
    const std::string shown = platform::displayName(bytes);
    return QString::fromUtf8(shown.data(), qsizetype(shown.size()));
}

bool onTheWay(const QByteArray& folder, const QByteArray& kept) {
    return kept == folder || kept.startsWith(folder + '/');
}

} // namespace

FolderTreeModel::FolderTreeModel(QObject* parent)
    : QAbstractItemModel(parent), root_(std::make_unique<Node>()) {
    auto top = std::make_unique<Node>();
    top->path = "/";
    top->shown = QStringLiteral("/");
    top->parent = root_.get();
    root_->children.push_back(std::move(top));
    root_->listed = true;
}

FolderTreeModel::~FolderTreeModel() = default;

FolderTreeModel::Node* FolderTreeModel::nodeOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : root_.get();
}

QModelIndex FolderTreeModel::indexOfNode(Node* node) const {
    if (!node || node == root_.get())
        return {};
    const auto& siblings = node->parent->children;
    const auto it = std::find_if(siblings.begin(), siblings.end(),
                                 [node](const auto& sibling) { return sibling.get() == node; });
    return createIndex(int(it - siblings.begin()), 0, node);
}

QModelIndex FolderTreeModel::index(int row, int column, const QModelIndex& parent) const {
    Node* node = nodeOf(parent);
    if (column != 0 || row < 0 || row >= int(node->children.size()))
        return {};
    return createIndex(row, 0, node->children[std::size_t(row)].get());
}

QModelIndex FolderTreeModel::parent(const QModelIndex& child) const {
    return child.isValid() ? indexOfNode(nodeOf(child)->parent) : QModelIndex();
}

int FolderTreeModel::rowCount(const QModelIndex& parent) const {
    return int(nodeOf(parent)->children.size());
}

int FolderTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant FolderTreeModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const Node* node = nodeOf(index);
    switch (role) {
    case Qt::DisplayRole:
        return node->shown;
    case PathRole:
        return shownName(node->path.toStdString());
    default:
        return {};
    }
}

bool FolderTreeModel::hasChildren(const QModelIndex& parent) const {
    const Node* node = nodeOf(parent);
    return node->listed ? !node->children.empty() : !node->empty;
}

bool FolderTreeModel::canFetchMore(const QModelIndex& parent) const {
    return !nodeOf(parent)->listed;
}

void FolderTreeModel::fetchMore(const QModelIndex& parent) {
    list(nodeOf(parent));
}

QByteArray FolderTreeModel::pathOf(const QModelIndex& index) const {
    return index.isValid() ? nodeOf(index)->path : QByteArray("/");
}

void FolderTreeModel::refresh(const QModelIndex& index) {
    list(nodeOf(index));
}

void FolderTreeModel::list(Node* node) {
    if (node == root_.get())
        return;
    std::vector<platform::FolderEntry> entries;
    try {
        entries = platform::listFolder(node->path.toStdString());
    } catch (const platform::RunError&) {
        // A folder that cannot be read shows nothing inside.
    }
    // Each folder's shown name and its path's bytes.
    std::vector<form::ListedName> found;
    for (const platform::FolderEntry& entry : entries) {
        if (!entry.folder)
            continue;
        const std::string path = platform::entryPath(node->path.toStdString(), entry.name);
        const QByteArray bytes(path.data(), qsizetype(path.size()));
        if (entry.hidden && !onTheWay(bytes, keptPath_))
            continue;
        found.push_back({platform::displayName(entry.name), path});
    }
    // In the order of the file lists.
    std::sort(found.begin(), found.end(), form::listedBefore);

    const QModelIndex parent = indexOfNode(node);
    // Folders that went away leave; the rest keep their nodes, and with them what is open.
    for (int row = int(node->children.size()) - 1; row >= 0; --row) {
        const QByteArray& path = node->children[std::size_t(row)]->path;
        const bool stays = std::any_of(found.begin(), found.end(), [&](const form::ListedName& f) {
            return f.bytes == path.toStdString();
        });
        if (!stays) {
            beginRemoveRows(parent, row, row);
            node->children.erase(node->children.begin() + row);
            endRemoveRows();
        }
    }
    int row = 0;
    for (const form::ListedName& f : found) {
        const QByteArray path(f.bytes.data(), qsizetype(f.bytes.size()));
        if (row < int(node->children.size()) && node->children[std::size_t(row)]->path == path) {
            ++row;
            continue;
        }
        auto child = std::make_unique<Node>();
        child->path = path;
        child->shown = QString::fromStdString(f.shown);
        child->parent = node;
        beginInsertRows(parent, row, row);
        node->children.insert(node->children.begin() + row, std::move(child));
        endInsertRows();
        ++row;
    }
    node->listed = true;
    node->empty = node->children.empty();
}

QModelIndex FolderTreeModel::indexOf(const QByteArray& path) {
    keptPath_ = path;
    Node* node = root_->children.front().get();
    QByteArray walked;
    for (const QByteArray& part : path.split('/')) {
        if (part.isEmpty())
            continue;
        walked += '/' + part;
        // Listed anew each time, so a folder made meanwhile (or a hidden one) is found.
        list(node);
        const auto it = std::find_if(node->children.begin(), node->children.end(),
                                     [&](const auto& child) { return child->path == walked; });
        if (it == node->children.end())
            break;
        node = it->get();
    }
    return indexOfNode(node);
}

} // namespace quillet::window::qt
