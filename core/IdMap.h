#pragma once
// Chained hash map from a 32-bit id to a pointer: 16 buckets, an id lives in bucket
// id % 16, and the table never rehashes (the content registers a few dozen objects).

#include <cstdint>
#include <cstdlib>

namespace Nimbra {

template <typename T>
struct IdMap {
    struct Node {
        uint32_t key;
        T* value;
        Node* next;
    };

    float maxLoadFactor;  // kept for the record; the table never grows
    Node** buckets;
    uint32_t bucketCount;
    uint32_t size;

    static constexpr uint32_t defaultBucketCount = 16;

    IdMap()
        : maxLoadFactor(0.75f), buckets(static_cast<Node**>(std::calloc(defaultBucketCount, sizeof(Node*)))),
          bucketCount(defaultBucketCount), size(0)
    {
    }

    IdMap(const IdMap&) = delete;
    IdMap& operator=(const IdMap&) = delete;

    ~IdMap()
    {
        for (uint32_t b = 0; b < bucketCount; ++b) {
            Node* node = buckets[b];
            while (node) {
                Node* next = node->next;
                std::free(node);
                node = next;
            }
        }
        std::free(buckets);
    }

    // The value stored under key; an absent key gets a new entry holding null.
    T*& slot(uint32_t key)
    {
        Node*& head = buckets[key % bucketCount];
        for (Node* node = head; node; node = node->next) {
            if (node->key == key)
                return node->value;
        }
        Node* node = static_cast<Node*>(std::malloc(sizeof(Node)));
        node->key = key;
        node->value = nullptr;
        node->next = head;
        head = node;
        ++size;
        return node->value;
    }

    // Calls visit(key, value) for every entry, null values too: bucket by bucket, and within a
    // bucket the newest first. Every walk of a map takes this one order.
    template <typename Visit>
    void forEach(Visit visit) const
    {
        for (uint32_t b = 0; b < bucketCount; ++b)
            for (const Node* node = buckets[b]; node; node = node->next)
                visit(node->key, node->value);
    }

    // Looks a key up without creating it: null when absent.
    T* find(uint32_t key) const
    {
        for (const Node* node = buckets[key % bucketCount]; node; node = node->next) {
            if (node->key == key)
                return node->value;
        }
        return nullptr;
    }
};

}  // namespace Nimbra
