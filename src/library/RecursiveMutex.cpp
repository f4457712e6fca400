#include "library/RecursiveMutex.h"

RecursiveMutex::RecursiveMutex(QObject *parent) : QObject(parent) {}
