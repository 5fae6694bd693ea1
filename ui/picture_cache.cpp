#include "ui/picture_cache.h"

#include "ui/skin_resources.h"

namespace SkinUI {

CPictureCache::Table& CPictureCache::Shared() {
    static Table table;
    return table;
}

void CPictureCache::ClearShared() { Shared().clear(); }

const DecodedPicture* CPictureCache::Get(const std::wstring& name) const {
    auto it = m_pictures.find(name);
    if (it != m_pictures.end()) return it->second.get();
    auto shared = Shared().find(name);
    return shared != Shared().end() ? shared->second.get() : nullptr;
}

const DecodedPicture* CPictureCache::Add(const std::wstring& name, const std::wstring& resourceType,
                                         uint32_t mask, bool shared) {
    if (name.empty()) return nullptr;
    auto picture = LoadPicture(*m_resources, name, resourceType, mask);
    if (!picture) return nullptr;
    auto& slot = (shared ? Shared() : m_pictures)[name];
    slot = std::move(picture);
    return slot.get();
}

const DecodedPicture* CPictureCache::GetOrAdd(const std::wstring& name,
                                              const std::wstring& resourceType, uint32_t mask) {
    if (const DecodedPicture* cached = Get(name)) return cached;
    return Add(name, resourceType, mask);
}

}  // namespace SkinUI
