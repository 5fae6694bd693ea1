#pragma once
// The decoded pictures of one window, by picture name (owned by the window's
// CUIManager, released with it). A table shared by all windows exists for
// pictures added as shared; the installer's skins never ask for it.
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "ui/picture.h"

namespace SkinUI {

class CSkinResources;

class CPictureCache {
  public:
    explicit CPictureCache(const CSkinResources& resources) : m_resources(&resources) {}
    CPictureCache(const CPictureCache&) = delete;
    CPictureCache& operator=(const CPictureCache&) = delete;

    // The cached picture of that name (this window's table first, then the
    // shared one), or null.
    const DecodedPicture* Get(const std::wstring& name) const;
    // Loads the picture and stores it under its name, replacing (and
    // releasing) a picture of the same name. Null when it cannot be loaded;
    // the table is then unchanged.
    const DecodedPicture* Add(const std::wstring& name, const std::wstring& resourceType = {},
                              uint32_t mask = 0, bool shared = false);
    // Get, else Add.
    const DecodedPicture* GetOrAdd(const std::wstring& name, const std::wstring& resourceType = {},
                                   uint32_t mask = 0);
    size_t Count() const { return m_pictures.size(); }

    // Releases every shared picture (end of process or tests).
    static void ClearShared();

  private:
    using Table = std::map<std::wstring, std::unique_ptr<DecodedPicture>>;
    static Table& Shared();
    const CSkinResources* m_resources;
    Table m_pictures;
};

}  // namespace SkinUI
