// Chained hash tables with text keys: growth, chain order and the guard
// against changes while an enumerator exists.
#include "vars/string_hash_table.h"

#include <cmath>
#include <limits>

#include "common/ascii.h"
#include "common/engine_error.h"

namespace vantrell {
namespace {

constexpr double kMinLoadFactor = 0.1;
constexpr double kMaxLoadFactor = 7.0;
constexpr uint32_t kFirstBucketCount = 32;

// Nearest integer, ties to even, saturated to the 32-bit range.
uint32_t ThresholdFor(uint32_t buckets, double loadFactor) {
  double x = static_cast<double>(buckets) * loadFactor;
  double whole = std::floor(x);
  double fraction = x - whole;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
  if (whole >= static_cast<double>(std::numeric_limits<uint32_t>::max())) {
    return std::numeric_limits<uint32_t>::max();
  }
  return static_cast<uint32_t>(whole);
}

bool EqualsExact(std::string_view a, std::string_view b) {
  return a == b;
}

}  // namespace

TCustomHashTable::TCustomHashTable(uint32_t capacity, double loadFactor)
    : initialCapacity_(capacity), loadFactor_(loadFactor) {
  // Written so that NaN fails too.
  if (!(loadFactor >= kMinLoadFactor && loadFactor <= kMaxLoadFactor)) {
    throw EngineError("Argument out of range");
  }
  SetBuckets(capacity);
}

TCustomHashTable::~TCustomHashTable() {
  FreeNodes();
}

void TCustomHashTable::SetBuckets(uint32_t count) {
  buckets_.reset(count > 0 ? new Node*[count]() : nullptr);
  bucketCount_ = count;
  threshold_ = ThresholdFor(count, loadFactor_);
}

void TCustomHashTable::FreeNodes() {
  for (uint32_t i = 0; i < bucketCount_; ++i) {
    Node* node = buckets_[i];
    while (node) {
      Node* next = node->next;
      delete node;
      node = next;
    }
    buckets_[i] = nullptr;
  }
}

void TCustomHashTable::RequireNotIterating() const {
  if (enumerators_ > 0) throw EngineError("Can not modify a collection while iterating");
}

uint32_t TCustomHashTable::NextBucketCount() const {
  if (bucketCount_ == 0) return kFirstBucketCount;
  if (bucketCount_ > std::numeric_limits<uint32_t>::max() / 2) return 0;
  return bucketCount_ * 2;
}

void TCustomHashTable::Grow() {
  uint32_t newCount = NextBucketCount();
  if (newCount == 0) return;  // at the largest size: chains just get longer
  std::unique_ptr<Node*[]> old = std::move(buckets_);
  uint32_t oldCount = bucketCount_;
  SetBuckets(newCount);
  for (uint32_t i = 0; i < oldCount; ++i) {
    Node* node = old[i];
    while (node) {
      Node* next = node->next;
      Node*& head = buckets_[node->hash % newCount];
      node->next = head;
      head = node;
      node = next;
    }
  }
}

void TCustomHashTable::Clear() {
  RequireNotIterating();
  for (uint32_t i = 0; i < bucketCount_; ++i) {
    for (Node* node = buckets_[i]; node; node = node->next) Changed(Change::kRemoved, *node);
  }
  FreeNodes();
  SetBuckets(initialCapacity_);
  count_ = 0;
}

void TCustomHashTable::Store(std::string_view key, std::string_view value) {
  RequireNotIterating();
  // Checked before a replace as well: a replace may grow the table.
  if (!fixed_ && count_ >= threshold_) Grow();
  if (!buckets_) throw EngineError("Hash table is fixed with size 0");
  uint32_t hash = Hash(key);
  Node*& head = buckets_[hash % bucketCount_];
  for (Node* node = head; node; node = node->next) {
    if (node->hash == hash && keyEquals_(node->key, key)) {
      Changed(Change::kReplacing, *node);
      node->value.assign(value);
      Changed(Change::kReplaced, *node);
      return;
    }
  }
  Node* node = new Node{head, hash, std::string(key), std::string(value)};
  head = node;
  ++count_;
  Changed(Change::kAdded, *node);
}

const TCustomHashTable::Node* TCustomHashTable::Find(std::string_view key) const {
  if (bucketCount_ == 0) return nullptr;
  uint32_t hash = Hash(key);
  for (const Node* node = buckets_[hash % bucketCount_]; node; node = node->next) {
    if (node->hash == hash && keyEquals_(node->key, key)) return node;
  }
  return nullptr;
}

TCustomStringHashTable::TCustomStringHashTable(bool caseSensitive, uint32_t capacity,
                                               double loadFactor)
    : TCustomHashTable(capacity, loadFactor), caseSensitive_(caseSensitive) {
  SetKeyEquals(caseSensitive ? &EqualsExact : &EqualsIgnoreCase);
}

uint32_t TCustomStringHashTable::HashKey(std::string_view key, bool caseSensitive) {
  uint32_t h = 0;
  for (char c : key) {
    if (!caseSensitive) c = AsciiLower(c);
    h = (h << 5) | (h >> 27);
    h ^= static_cast<unsigned char>(c);
  }
  return h;
}

uint32_t TCustomStringHashTable::Hash(std::string_view key) const {
  return HashKey(key, caseSensitive_);
}

void TStringHashTable::Put(std::string_view key, std::string_view value) {
  Store(key, value);
}

const std::string* TStringHashTable::Get(std::string_view key) const {
  const Node* node = Find(key);
  return node ? &node->value : nullptr;
}

void TStringHashTable::CopyInto(TStringHashTable& target) const {
  THashEnumerator entries(*this);
  while (entries.Next()) target.Put(entries.Key(), entries.Value());
}

THashEnumerator::THashEnumerator(const TCustomHashTable& table) : table_(table) {
  ++table_.enumerators_;
}

THashEnumerator::~THashEnumerator() {
  --table_.enumerators_;
}

bool THashEnumerator::Next() {
  if (started_ && node_) node_ = node_->next;
  if (!started_) {
    started_ = true;
    node_ = table_.bucketCount_ > 0 ? table_.buckets_[0] : nullptr;
  }
  while (!node_) {
    if (table_.bucketCount_ == 0 || ++bucket_ >= table_.bucketCount_) {
      bucket_ = table_.bucketCount_;
      return false;
    }
    node_ = table_.buckets_[bucket_];
  }
  return true;
}

}  // namespace vantrell
