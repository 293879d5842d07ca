#pragma once
#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

#include "transfer/TransferNode.h"

// The transfer list: network and serial transfers in the order they began. A transfer's
// index is its slot, and the list closes up when one leaves. The list owns its entries;
// whoever takes one out destroys it, after the lock is released. Serial port threads and
// the UI thread use it at once: every change and every read holds the lock.
class CTransferTable {
public:
    using CList = std::vector<std::unique_ptr<CTransferNode>>;

    // Appends; the new transfer's slot.
    int Add(std::unique_ptr<CTransferNode> pTransfer);
    // Takes the transfer out; null when it already left.
    std::unique_ptr<CTransferNode> Remove(const CTransferNode* pTransfer);
    // Takes the first transfer out; null when the list is empty.
    std::unique_ptr<CTransferNode> TakeFirst();
    // The transfer's slot, or -1 when it is not in the list.
    int FindTransferSlot(const CTransferNode* pTransfer);
    size_t Count();

    // Runs fn(list) under the lock, for reads and for changes of an entry's fields that other
    // threads read. fn neither adds nor removes entries, and calls nothing that takes locks.
    template <class F>
    auto Locked(F&& fn) {
        std::lock_guard<std::mutex> guard(m_lock);
        return fn(static_cast<const CList&>(m_arrTransfers));
    }

private:
    std::mutex m_lock;
    CList m_arrTransfers;
};
