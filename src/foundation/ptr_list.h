// Singly linked list of plain pointers, optionally owning its items.
#pragma once

#include "foundation/object.h"

template <class T> class KT_PtrList {
public:
    struct Node : KT_Object {
        Node* next = nullptr;
        T* item = nullptr;
    };

    explicit KT_PtrList(bool owns_items = false) : owns_items_(owns_items) {}
    virtual ~KT_PtrList() { clear(); }
    KT_PtrList(const KT_PtrList&) = delete;
    KT_PtrList& operator=(const KT_PtrList&) = delete;

    Node* head() const { return head_; }
    Node* tail() const { return tail_; }
    bool empty() const { return head_ == nullptr; }
    bool owns_items() const { return owns_items_; }

    // An owning list owns item from here on, so when no node can be
    // allocated the item is destroyed before the exception leaves.
    void append(T* item) {
        Node* node = nullptr;
        try {
            node = new Node;
        } catch (...) {
            if (owns_items_) delete item;
            throw;
        }
        node->item = item;
        if (tail_)
            tail_->next = node;
        else
            head_ = node;
        tail_ = node;
    }

    // Unlinks the first node holding item; an item no node holds leaves the
    // list unchanged.
    void remove(T* item) {
        Node* previous = nullptr;
        for (Node* node = head_; node; previous = node, node = node->next) {
            if (node->item != item) continue;
            (previous ? previous->next : head_) = node->next;
            if (tail_ == node) tail_ = previous;
            destroy(node);
            return;
        }
    }

    void clear() {
        Node* node = head_;
        head_ = tail_ = nullptr;
        while (node) {
            Node* next = node->next;
            destroy(node);
            node = next;
        }
    }

    int count() const {
        int n = 0;
        for (Node* node = head_; node; node = node->next)
            ++n;
        return n;
    }

    class iterator {
    public:
        explicit iterator(Node* node) : node_(node) {}
        T* operator*() const { return node_->item; }
        iterator& operator++() {
            node_ = node_->next;
            return *this;
        }
        bool operator!=(const iterator& other) const { return node_ != other.node_; }

    private:
        Node* node_;
    };
    iterator begin() const { return iterator(head_); }
    iterator end() const { return iterator(nullptr); }

private:
    void destroy(Node* node) {
        if (owns_items_) delete node->item;
        delete node;
    }

    Node* head_ = nullptr;
    Node* tail_ = nullptr;
    bool owns_items_;
};
