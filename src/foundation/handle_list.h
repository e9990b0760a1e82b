// Doubly linked list of handles; each node holds one reference.
#pragma once

#include "foundation/object.h"

template <class H> class KT_HandleList {
public:
    struct Node : KT_Object {
        explicit Node(const H& handle) : value(handle) {}
        Node* prev = nullptr;
        Node* next = nullptr;
        H value;
    };

    KT_HandleList() = default;
    ~KT_HandleList() { clear(); }
    KT_HandleList(const KT_HandleList& other) { append_all(other); }
    KT_HandleList& operator=(const KT_HandleList& other) {
        if (this != &other) {
            clear();
            append_all(other);
        }
        return *this;
    }

    Node* head() const { return head_; }
    Node* tail() const { return tail_; }
    bool empty() const { return head_ == nullptr; }

    Node* append(const H& handle) {
        Node* node = new Node(handle);
        node->prev = tail_;
        if (tail_)
            tail_->next = node;
        else
            head_ = node;
        tail_ = node;
        return node;
    }

    // Unlinks and destroys node, releasing its handle.
    void remove(Node* node) {
        (node->prev ? node->prev->next : head_) = node->next;
        (node->next ? node->next->prev : tail_) = node->prev;
        delete node;
    }

    void clear() {
        while (head_) remove(head_);
    }

    int count() const {
        int n = 0;
        for (Node* node = head_; node; node = node->next) ++n;
        return n;
    }

    class iterator {
    public:
        explicit iterator(Node* node) : node_(node) {}
        const H& operator*() const { return node_->value; }
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
    void append_all(const KT_HandleList& other) {
        for (Node* node = other.head_; node; node = node->next) append(node->value);
    }

    Node* head_ = nullptr;
    Node* tail_ = nullptr;
};
