#include "variable_manager.h"

#include "expansion.h"

namespace qs {

void TVariableManager::add(std::string_view name, std::string_view value) {
    std::lock_guard<std::mutex> hold(lock_);
    auto it = index_.find(name);
    if (it != index_.end()) {
        table_[it->second].value.assign(value);
        return;
    }
    index_.emplace(std::string(name), table_.size());
    table_.push_back({std::string(name), std::string(value)});
}

bool TVariableManager::addIfMissing(std::string_view name, std::string_view value) {
    std::lock_guard<std::mutex> hold(lock_);
    if (index_.find(name) != index_.end()) return false;
    index_.emplace(std::string(name), table_.size());
    table_.push_back({std::string(name), std::string(value)});
    return true;
}

void TVariableManager::clear() {
    std::lock_guard<std::mutex> hold(lock_);
    index_.clear();
    table_.clear();
}

bool TVariableManager::exists(std::string_view name) const {
    std::lock_guard<std::mutex> hold(lock_);
    return index_.find(name) != index_.end();
}

std::string TVariableManager::get(std::string_view name) const {
    std::lock_guard<std::mutex> hold(lock_);
    auto it = index_.find(name);
    return it == index_.end() ? std::string() : table_[it->second].value;
}

std::optional<std::string> TVariableManager::find(std::string_view name) const {
    std::lock_guard<std::mutex> hold(lock_);
    auto it = index_.find(name);
    if (it == index_.end()) return std::nullopt;
    return table_[it->second].value;
}

bool TVariableManager::lookup(std::string_view name, std::string& value) const {
    std::lock_guard<std::mutex> hold(lock_);
    auto it = index_.find(name);
    if (it == index_.end()) return false;
    value = table_[it->second].value;
    return true;
}

std::size_t TVariableManager::size() const {
    std::lock_guard<std::mutex> hold(lock_);
    return table_.size();
}

void TVariableManager::dump(std::vector<std::string>& list) const {
    list.clear();
    std::lock_guard<std::mutex> hold(lock_);
    list.reserve(table_.size() * 2);
    for (const Variable& v : table_) {
        list.push_back(v.name);
        list.push_back(v.value);
    }
}

std::string TVariableManager::expand(std::string_view text) const {
    return expandReferences(text, false, [this](std::string_view n, std::string& v) { return lookup(n, v); });
}

std::string TVariableManager::expandQuoted(std::string_view text) const {
    return expandReferences(text, true, [this](std::string_view n, std::string& v) { return lookup(n, v); });
}

}  // namespace qs
