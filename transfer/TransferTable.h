#pragma once
#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "transfer/TransferNode.h"

// A transfer as it stood when read: who, and the bytes sent by then.
struct CTransferRow {
    CUnitRef unit;
    uint32_t nSent = 0;
};

// A transfer taken out of the list, now its taker's alone, with its bytes sent at the end.
struct CTakenTransfer {
    std::unique_ptr<CTransferNode> pNode;  // null when it had already left
    uint32_t nSent = 0;
    explicit operator bool() const { return pNode != nullptr; }
};

// The transfer list: network and serial transfers in the order they began. A transfer's
// index is its slot, and the list closes up when one leaves. The list owns its entries;
// whoever takes one out destroys it, after the lock is released. Serial port threads and
// the UI thread use it at once: every change and every read holds the lock, and a node's
// byte count is reached only here. A node pointer passed in is only compared, never
// followed, unless that node is still in the list.
class CTransferTable {
public:
    // Appends; the new transfer's slot.
    int Add(std::unique_ptr<CTransferNode> pTransfer);
    CTakenTransfer Remove(const CTransferNode* pTransfer);
    // Null when the list is empty.
    CTakenTransfer TakeFirst();
    // The transfer's slot, or -1 when it is not in the list.
    int FindTransferSlot(const CTransferNode* pTransfer);
    size_t Count();

    // Counts n more bytes sent; nothing once the transfer left.
    void AddSent(const CTransferNode* pTransfer, uint32_t n);
    // None once the transfer left.
    std::optional<uint32_t> Sent(const CTransferNode* pTransfer);
    // The name of the transfer in the slot; none for a slot not in use.
    std::optional<std::string> NameAt(int nSlot);
    std::vector<CTransferRow> Rows();
    // The oldest transfer; none when the list is empty.
    std::optional<CTransferRow> First();

    // The slot's percent, from fnPercentOf(bytes sent), or -1 for a slot not in use, given
    // to fnPost under the lock (so that two threads' reports keep the list's order) when it
    // differs from the one given last for that transfer.
    template <class FPercent, class FPost>
    void WithProgress(int nSlot, FPercent&& fnPercentOf, FPost&& fnPost) {
        std::lock_guard<std::mutex> guard(m_lock);
        int32_t nPercent = -1;
        if (nSlot >= 0 && static_cast<size_t>(nSlot) < m_arrTransfers.size()) {
            CTransferNode& node = *m_arrTransfers[static_cast<size_t>(nSlot)];
            nPercent = fnPercentOf(node.m_nSent);
            if (nPercent == node.m_nLastPercent) return;
            node.m_nLastPercent = nPercent;
        }
        fnPost(nPercent);
    }

private:
    using CList = std::vector<std::unique_ptr<CTransferNode>>;
    CList::iterator Find(const CTransferNode* pTransfer);
    CTakenTransfer Take(CList::iterator it);

    std::mutex m_lock;
    CList m_arrTransfers;
};
