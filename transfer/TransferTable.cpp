#include "transfer/TransferTable.h"

#include <algorithm>

CTransferTable::CList::iterator CTransferTable::Find(const CTransferNode* pTransfer) {
    return std::find_if(m_arrTransfers.begin(), m_arrTransfers.end(),
                        [pTransfer](const auto& p) { return p.get() == pTransfer; });
}

CTakenTransfer CTransferTable::Take(CList::iterator it) {
    if (it == m_arrTransfers.end()) return {};
    const uint32_t nSent = (*it)->m_nSent;
    CTakenTransfer taken{std::move(*it), nSent};
    m_arrTransfers.erase(it);
    return taken;
}

int CTransferTable::Add(std::unique_ptr<CTransferNode> pTransfer) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_arrTransfers.push_back(std::move(pTransfer));
    return static_cast<int>(m_arrTransfers.size()) - 1;
}

CTakenTransfer CTransferTable::Remove(const CTransferNode* pTransfer) {
    std::lock_guard<std::mutex> guard(m_lock);
    return Take(Find(pTransfer));
}

CTakenTransfer CTransferTable::TakeFirst() {
    std::lock_guard<std::mutex> guard(m_lock);
    return Take(m_arrTransfers.begin());
}

int CTransferTable::FindTransferSlot(const CTransferNode* pTransfer) {
    std::lock_guard<std::mutex> guard(m_lock);
    const auto it = Find(pTransfer);
    return it == m_arrTransfers.end() ? -1 : static_cast<int>(it - m_arrTransfers.begin());
}

size_t CTransferTable::Count() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_arrTransfers.size();
}

void CTransferTable::AddSent(const CTransferNode* pTransfer, uint32_t n) {
    std::lock_guard<std::mutex> guard(m_lock);
    const auto it = Find(pTransfer);
    if (it != m_arrTransfers.end()) (*it)->m_nSent += n;
}

std::optional<uint32_t> CTransferTable::Sent(const CTransferNode* pTransfer) {
    std::lock_guard<std::mutex> guard(m_lock);
    const auto it = Find(pTransfer);
    if (it == m_arrTransfers.end()) return std::nullopt;
    return (*it)->m_nSent;
}

std::optional<std::string> CTransferTable::NameAt(int nSlot) {
    std::lock_guard<std::mutex> guard(m_lock);
    if (nSlot < 0 || static_cast<size_t>(nSlot) >= m_arrTransfers.size()) return std::nullopt;
    return m_arrTransfers[static_cast<size_t>(nSlot)]->Name();
}

std::vector<CTransferRow> CTransferTable::Rows() {
    std::lock_guard<std::mutex> guard(m_lock);
    std::vector<CTransferRow> arrRows;
    arrRows.reserve(m_arrTransfers.size());
    for (const auto& p : m_arrTransfers) arrRows.push_back({p->Unit(), p->m_nSent});
    return arrRows;
}

std::optional<CTransferRow> CTransferTable::First() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_arrTransfers.empty()) return std::nullopt;
    return CTransferRow{m_arrTransfers.front()->Unit(), m_arrTransfers.front()->m_nSent};
}
