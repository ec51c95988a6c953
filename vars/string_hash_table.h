// Chained hash tables with text keys, the table under the variable store.
// Buckets double from 0 to 32, 64, ... once the entry count reaches the grow
// threshold; new nodes go to the head of their chain; no insert, replace or
// clear is allowed while an enumerator walks the table (EngineError).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vantrell {

class THashEnumerator;

class TCustomHashTable {
 public:
  // Raises EngineError("Argument out of range") unless 0.1 <= loadFactor <= 7.0.
  TCustomHashTable(uint32_t capacity, double loadFactor);
  virtual ~TCustomHashTable();
  TCustomHashTable(const TCustomHashTable&) = delete;
  TCustomHashTable& operator=(const TCustomHashTable&) = delete;

  uint64_t Count() const { return count_; }
  uint32_t BucketCount() const { return bucketCount_; }
  uint32_t GrowThreshold() const { return threshold_; }
  uint32_t InitialCapacity() const { return initialCapacity_; }
  double LoadFactor() const { return loadFactor_; }
  bool Fixed() const { return fixed_; }
  void SetFixed(bool fixed) { fixed_ = fixed; }
  bool Iterating() const { return enumerators_ > 0; }

  // Frees every entry and returns to the initial capacity.
  virtual void Clear();

 protected:
  enum class Change { kAdded, kRemoved, kReplacing, kReplaced };
  using KeyEquals = bool (*)(std::string_view, std::string_view);

  struct Node {
    Node* next = nullptr;
    uint32_t hash = 0;
    std::string key;
    std::string value;
  };

  virtual uint32_t Hash(std::string_view key) const = 0;
  // The bucket count after the next growth; 0 when the table cannot grow further.
  virtual uint32_t NextBucketCount() const;
  // Told about every entry that is added, removed or has its value replaced.
  virtual void Changed(Change /*change*/, const Node& /*node*/) {}

  void SetKeyEquals(KeyEquals equals) { keyEquals_ = equals; }
  void Store(std::string_view key, std::string_view value);
  const Node* Find(std::string_view key) const;

 private:
  friend class THashEnumerator;

  void Grow();
  void FreeNodes();
  void SetBuckets(uint32_t count);
  void RequireNotIterating() const;

  KeyEquals keyEquals_ = nullptr;
  uint64_t count_ = 0;
  uint32_t initialCapacity_;
  bool fixed_ = false;
  mutable int enumerators_ = 0;  // a count, so that nested enumerators keep the guard up
  double loadFactor_;
  uint32_t threshold_ = 0;
  std::unique_ptr<Node*[]> buckets_;
  uint32_t bucketCount_ = 0;
};

// Adds the hash: rotate left by 5, then XOR each byte; the case-insensitive
// form lower-cases A to Z first and compares keys ignoring only that case.
class TCustomStringHashTable : public TCustomHashTable {
 public:
  TCustomStringHashTable(bool caseSensitive, uint32_t capacity, double loadFactor);
  bool CaseSensitive() const { return caseSensitive_; }

  static uint32_t HashKey(std::string_view key, bool caseSensitive);

 protected:
  uint32_t Hash(std::string_view key) const override;

 private:
  bool caseSensitive_;
};

// Text key to text value.
class TStringHashTable : public TCustomStringHashTable {
 public:
  using TCustomStringHashTable::TCustomStringHashTable;

  // Inserts or replaces; the stored key keeps the form of the first insert.
  void Put(std::string_view key, std::string_view value);
  // nullptr when absent; valid until the next change of the table.
  const std::string* Get(std::string_view key) const;
  bool Contains(std::string_view key) const { return Find(key) != nullptr; }
  // Copies every pair of this table into target (which is not cleared first).
  void CopyInto(TStringHashTable& target) const;
};

// Walks the table's entries: buckets from index 0 up, each chain from its head.
// While one exists the table refuses changes. It must not outlive the table.
class THashEnumerator {
 public:
  explicit THashEnumerator(const TCustomHashTable& table);
  ~THashEnumerator();
  THashEnumerator(const THashEnumerator&) = delete;
  THashEnumerator& operator=(const THashEnumerator&) = delete;

  // Moves to the next entry; false when none is left.
  bool Next();
  const std::string& Key() const { return node_->key; }
  const std::string& Value() const { return node_->value; }

 private:
  const TCustomHashTable& table_;
  const TCustomHashTable::Node* node_ = nullptr;
  uint32_t bucket_ = 0;
  bool started_ = false;
};

}  // namespace vantrell
