#include "Library.h"

Library::Library(QObject *parent)
    : QAbstractTableModel(parent)
{
}

Library::~Library() = default;

int Library::rowCount(const QModelIndex &) const
{
    return 0;
}

int Library::columnCount(const QModelIndex &) const
{
    return 0;
}

QVariant Library::data(const QModelIndex &, int) const
{
    return QVariant();
}

void Library::startIntegrityCheck()
{
}

void Library::lastWindowClosed()
{
}
