#include "namespace/store/CompoundFile.h"

#include "platform/base/Utf.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <memory>

namespace foldra {
namespace {

struct GObjectUnref {
    void operator()(void* object) const
    {
        if (object)
            g_object_unref(object);
    }
};
template <typename T> using GRef = std::unique_ptr<T, GObjectUnref>;

char16_t upperUnit(char16_t c)
{
    if (c >= u'a' && c <= u'z')
        return static_cast<char16_t>(c - 0x20);
    // Latin-1 letters, but not the division sign.
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return static_cast<char16_t>(c - 0x20);
    return c;
}

class TreeReader {
public:
    HRESULT read(GsfInfile* storage, StorageElement* into, unsigned depth)
    {
        if (depth > kMaxStorageDepth)
            return STG_E_DOCFILECORRUPT;
        int count = gsf_infile_num_children(storage);
        for (int i = 0; i < count; ++i) {
            if (++m_elements > kMaxElements)
                return STG_E_DOCFILECORRUPT;
            const char* name = gsf_infile_name_by_index(storage, i);
            GRef<GsfInput> child(gsf_infile_child_by_index(storage, i));
            if (!child || !name)
                return STG_E_DOCFILECORRUPT;
            StorageElement element;
            element.name = name;
            GsfInfile* asStorage = GSF_IS_INFILE(child.get()) ? GSF_INFILE(child.get()) : nullptr;
            if (asStorage && gsf_infile_num_children(asStorage) >= 0) {
                element.type = ElementType::Storage;
                if (HRESULT hr = read(asStorage, &element, depth + 1); FAILED(hr))
                    return hr;
            } else {
                element.type = ElementType::Stream;
                gsf_off_t size = gsf_input_size(child.get());
                if (size < 0 || static_cast<std::size_t>(size) > kMaxStreamBytes)
                    return STG_E_DOCFILECORRUPT;
                element.bytes.resize(static_cast<std::size_t>(size));
                if (size > 0 && !gsf_input_read(child.get(), static_cast<std::size_t>(size),
                                                element.bytes.data()))
                    return STG_E_DOCFILECORRUPT;
            }
            into->children.push_back(std::move(element));
        }
        return S_OK;
    }

private:
    unsigned m_elements = 0;
};

HRESULT writeChildren(GsfOutfile* storage, const StorageElement& from)
{
    for (const StorageElement& element : from.children) {
        if (HRESULT hr = checkElementName(element.name); FAILED(hr))
            return hr;
        bool isStorage = element.type == ElementType::Storage;
        GRef<GsfOutput> child(gsf_outfile_new_child(storage, element.name.c_str(), isStorage));
        if (!child)
            return STG_E_WRITEFAULT;
        if (isStorage) {
            if (HRESULT hr = writeChildren(GSF_OUTFILE(child.get()), element); FAILED(hr))
                return hr;
        } else if (!element.bytes.empty() &&
                   !gsf_output_write(child.get(), element.bytes.size(), element.bytes.data())) {
            return STG_E_WRITEFAULT;
        }
        if (!gsf_output_close(child.get()))
            return STG_E_WRITEFAULT;
    }
    return S_OK;
}

} // namespace

bool sameElementName(std::string_view a, std::string_view b)
{
    std::u16string wa = utf8ToUtf16(a);
    std::u16string wb = utf8ToUtf16(b);
    if (wa.size() != wb.size())
        return false;
    for (std::size_t i = 0; i < wa.size(); ++i)
        if (upperUnit(wa[i]) != upperUnit(wb[i]))
            return false;
    return true;
}

HRESULT checkElementName(const std::string& name)
{
    std::u16string wide = utf8ToUtf16(name);
    if (wide.empty() || wide.size() > kMaxElementNameUnits)
        return STG_E_INVALIDNAME;
    for (char16_t c : wide)
        if (c == u'/' || c == u'\\' || c == u':' || c == u'!')
            return STG_E_INVALIDNAME;
    return S_OK;
}

StorageElement* StorageElement::find(std::string_view childName)
{
    for (StorageElement& child : children)
        if (sameElementName(child.name, childName))
            return &child;
    return nullptr;
}

const StorageElement* StorageElement::find(std::string_view childName) const
{
    return const_cast<StorageElement*>(this)->find(childName);
}

HRESULT StorageElement::create(const std::string& childName, ElementType childType,
                               StorageElement** created)
{
    if (HRESULT hr = checkElementName(childName); FAILED(hr))
        return hr;
    if (find(childName))
        return STG_E_FILEALREADYEXISTS;
    StorageElement element;
    element.name = childName;
    element.type = childType;
    children.push_back(std::move(element));
    if (created)
        *created = &children.back();
    return S_OK;
}

HRESULT StorageElement::destroy(std::string_view childName)
{
    for (auto it = children.begin(); it != children.end(); ++it) {
        if (sameElementName(it->name, childName)) {
            children.erase(it);
            return S_OK;
        }
    }
    return STG_E_FILENOTFOUND;
}

HRESULT readCompoundFile(std::span<const std::uint8_t> bytes, StorageElement* root)
{
    *root = StorageElement{};
    GRef<GsfInput> input(
        gsf_input_memory_new(bytes.data(), static_cast<gsf_off_t>(bytes.size()), FALSE));
    if (!input)
        return STG_E_INSUFFICIENTMEMORY;
    GError* error = nullptr;
    GRef<GsfInfile> file(gsf_infile_msole_new(input.get(), &error));
    if (error)
        g_error_free(error);
    if (!file)
        return STG_E_INVALIDHEADER;
    TreeReader reader;
    HRESULT hr = reader.read(file.get(), root, 0);
    if (FAILED(hr))
        *root = StorageElement{};
    return hr;
}

HRESULT writeCompoundFile(const StorageElement& root, std::vector<std::uint8_t>* bytes)
{
    GRef<GsfOutput> memory(gsf_output_memory_new());
    if (!memory)
        return STG_E_INSUFFICIENTMEMORY;
    GRef<GsfOutfile> file(gsf_outfile_msole_new(memory.get()));
    if (!file)
        return STG_E_WRITEFAULT;
    HRESULT hr = writeChildren(file.get(), root);
    if (!gsf_output_close(GSF_OUTPUT(file.get())) && SUCCEEDED(hr))
        hr = STG_E_WRITEFAULT;
    if (FAILED(hr))
        return hr;
    const guint8* data = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(memory.get()));
    gsf_off_t size = gsf_output_size(memory.get());
    if (!data || size <= 0)
        return STG_E_WRITEFAULT;
    bytes->assign(data, data + size);
    return S_OK;
}

} // namespace foldra
