#include "transfer/TransferTable.h"

#include <algorithm>

int CTransferTable::Add(std::unique_ptr<CTransferNode> pTransfer) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_arrTransfers.push_back(std::move(pTransfer));
    return static_cast<int>(m_arrTransfers.size()) - 1;
}

std::unique_ptr<CTransferNode> CTransferTable::Remove(const CTransferNode* pTransfer) {
    std::lock_guard<std::mutex> guard(m_lock);
    auto it = std::find_if(m_arrTransfers.begin(), m_arrTransfers.end(),
                           [pTransfer](const auto& p) { return p.get() == pTransfer; });
    if (it == m_arrTransfers.end()) return nullptr;
    std::unique_ptr<CTransferNode> pOut = std::move(*it);
    m_arrTransfers.erase(it);
    return pOut;
}

std::unique_ptr<CTransferNode> CTransferTable::TakeFirst() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_arrTransfers.empty()) return nullptr;
    std::unique_ptr<CTransferNode> pOut = std::move(m_arrTransfers.front());
    m_arrTransfers.erase(m_arrTransfers.begin());
    return pOut;
}

int CTransferTable::FindTransferSlot(const CTransferNode* pTransfer) {
    std::lock_guard<std::mutex> guard(m_lock);
    for (size_t i = 0; i < m_arrTransfers.size(); ++i) {
        if (m_arrTransfers[i].get() == pTransfer) return static_cast<int>(i);
    }
    return -1;
}

size_t CTransferTable::Count() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_arrTransfers.size();
}
