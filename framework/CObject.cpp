#include "CObject.h"

#include <cassert>

const CRuntimeClass CObject::classCObject = {"CObject", nullptr};

struct CObList::Node {
    Node* next;
    Node* prev;
    CObject* element;
};

namespace {
template <class NodeT>
NodeT* AsNode(POSITION p) { return reinterpret_cast<NodeT*>(p); }
template <class NodeT>
POSITION AsPosition(NodeT* n) { return reinterpret_cast<POSITION>(n); }
}  // namespace

CObList::~CObList() { RemoveAll(); }

POSITION CObList::AddTail(CObject* element) {
    Node* node = new Node{nullptr, tail_, element};
    if (tail_) tail_->next = node; else head_ = node;
    tail_ = node;
    ++count_;
    return AsPosition(node);
}

CObject* CObList::RemoveHead() {
    assert(head_);
    CObject* element = head_->element;
    RemoveAt(AsPosition(head_));
    return element;
}

void CObList::RemoveAt(POSITION position) {
    Node* node = AsNode<Node>(position);
    assert(node);
    (node->prev ? node->prev->next : head_) = node->next;
    (node->next ? node->next->prev : tail_) = node->prev;
    delete node;
    --count_;
}

void CObList::RemoveAll() {
    while (head_) RemoveAt(AsPosition(head_));
}

POSITION CObList::GetHeadPosition() const noexcept { return AsPosition(head_); }

CObject* CObList::GetNext(POSITION& position) const {
    Node* node = AsNode<Node>(position);
    assert(node);
    position = AsPosition(node->next);
    return node->element;
}

CObject* CObList::GetAt(POSITION position) const {
    assert(position);
    return AsNode<Node>(position)->element;
}

POSITION CObList::FindIndex(int index) const noexcept {
    if (index < 0 || index >= count_) return nullptr;
    Node* node = head_;
    while (index-- > 0) node = node->next;
    return AsPosition(node);
}
