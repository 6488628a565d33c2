#pragma once
// Handles as numbers, in the Windows manner: a handle names an object held
// here, so a stale or doubled close, or a handle from elsewhere, is refused
// instead of touching freed memory. Numbers are never reused.
#include <QHash>
#include <QMutex>
#include <memory>

template <typename T>
class THandleTable {
 public:
  qint64 Add(std::shared_ptr<T> object) {
    QMutexLocker lock(&FMutex);
    const qint64 h = ++FLast;
    FObjects.insert(h, std::move(object));
    return h;
  }
  // The object, or null for an unknown handle. The object stays alive for
  // the caller even if another thread closes the handle meanwhile.
  std::shared_ptr<T> Get(qint64 handle) const {
    QMutexLocker lock(&FMutex);
    return FObjects.value(handle);
  }
  bool Remove(qint64 handle) {
    std::shared_ptr<T> object;  // released outside the lock
    QMutexLocker lock(&FMutex);
    auto it = FObjects.find(handle);
    if (it == FObjects.end()) return false;
    object = std::move(it.value());
    FObjects.erase(it);
    return true;
  }

 private:
  mutable QMutex FMutex;
  QHash<qint64, std::shared_ptr<T>> FObjects;
  qint64 FLast = 0;
};
