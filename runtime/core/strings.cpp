#include "runtime/core/strings.h"

#include <cstdlib>
#include <cstring>

#include "runtime/core/emulated_memory.h"
#include "runtime/core/statement.h"

StringStorage string_storage;

namespace {

StringStorage& s = string_storage;

constexpr uint32_t descriptors_per_block = 65536;
constexpr uint32_t initial_list_entries = 65536;
constexpr size_t initial_arena_bytes = 1 << 20;
constexpr size_t initial_variable_bytes = 1 << 20;
constexpr uint32_t headroom = 32;
// Longest text a descriptor's int32 length can hold with its headroom.
constexpr uint32_t longest_text = 0x7FFFFFFF - 2 * headroom;

// Allocation failures end the process with their box; each site has its code.
constexpr int out_of_memory_general = 257;
constexpr int out_of_memory_variables = 504;
constexpr int out_of_memory_free_stack = 508;
constexpr int out_of_memory_emulated_list = 509;
constexpr int out_of_memory_string_list = 510;
constexpr int out_of_memory_temp_list = 511;
constexpr int out_of_memory_arena = 512;
constexpr int out_of_memory_segment = 513;
constexpr int out_of_memory_segment_entries = 514;

uint8_t* segment_base() { return emulated_memory + string_segment_offset; }

// Doubles a pointer array; false (after the critical error) when it cannot.
template <class T>
bool grow_array(T*& array, uint32_t& capacity, uint32_t minimum, int failure_code) {
    uint64_t wanted = capacity ? static_cast<uint64_t>(capacity) * 2 : minimum;
    if (wanted < minimum) wanted = minimum;
    if (wanted > 0x7FFFFFFF) {
        raise_error(failure_code);
        return false;
    }
    T* grown = static_cast<T*>(std::realloc(array, wanted * sizeof(T)));
    if (grown == nullptr) {
        raise_error(failure_code);
        return false;
    }
    std::memset(grown + capacity, 0, (wanted - capacity) * sizeof(T));
    array = grown;
    capacity = static_cast<uint32_t>(wanted);
    return true;
}

// --- descriptor pool ---------------------------------------------------------

bool take_descriptor_block() {
    if (s.descriptor_block_count == s.descriptor_block_capacity &&
        !grow_array(s.descriptor_blocks, s.descriptor_block_capacity, 16, out_of_memory_general))
        return false;
    auto* block = static_cast<StringDescriptor*>(std::calloc(descriptors_per_block, sizeof(StringDescriptor)));
    if (block == nullptr) {
        raise_error(out_of_memory_general);
        return false;
    }
    s.descriptor_blocks[s.descriptor_block_count++] = block;
    s.descriptors_taken = 0;
    return true;
}

StringDescriptor* take_descriptor() {
    StringDescriptor* d;
    if (s.free_count > 0) {
        d = s.free_descriptors[--s.free_count];
        *d = StringDescriptor{};
    } else {
        if ((s.descriptor_block_count == 0 || s.descriptors_taken == descriptors_per_block) &&
            !take_descriptor_block())
            std::abort();
        d = &s.descriptor_blocks[s.descriptor_block_count - 1][s.descriptors_taken++];
    }
    ++s.live_descriptors;
    return d;
}

void return_descriptor(StringDescriptor* d) {
    if (s.free_count == s.free_capacity &&
        !grow_array(s.free_descriptors, s.free_capacity, initial_list_entries, out_of_memory_free_stack))
        return;
    // A null data pointer marks a descriptor as free (no live string has
    // one), so that a second free of it is harmless.
    d->data = nullptr;
    s.free_descriptors[s.free_count++] = d;
    --s.live_descriptors;
}

// --- temporaries --------------------------------------------------------------

void list_temporary(StringDescriptor* d) {
    if (s.temp_top >= s.temp_capacity &&
        !grow_array(s.temp_list, s.temp_capacity, initial_list_entries, out_of_memory_temp_list))
        std::abort();
    d->temporary = 1;
    d->temp_index = s.temp_top;
    s.temp_list[s.temp_top++] = d;
}

// Keeps the entry just below temp_top live, so that a statement's saved base
// never lies above a hole.
void unlist_temporary(StringDescriptor* d) {
    if (d->temp_index == 0 || d->temp_index >= s.temp_top || s.temp_list[d->temp_index] != d) return;
    s.temp_list[d->temp_index] = nullptr;
    d->temp_index = 0;
    d->temporary = 0;
    while (s.temp_top > 1 && s.temp_list[s.temp_top - 1] == nullptr) --s.temp_top;
}

// --- the arena and its list --------------------------------------------------

// Moves texts down over the gaps between them (only gaps wider than the
// headroom, so that small growth room survives) and grows the arena when the
// room left would still be tight.
void compact_arena(size_t extra) {
    uint8_t* cursor = s.arena;
    for (uint32_t i = 0; i < s.string_count; ++i) {
        StringDescriptor* d = s.string_list[i];
        if (d == nullptr) continue;
        if (d->data > cursor + headroom) {
            std::memmove(cursor, d->data, static_cast<size_t>(d->length));
            d->data = cursor;
        }
        cursor = d->data + d->length;
    }
    s.arena_used = static_cast<size_t>(cursor - s.arena);
    if (extra + 2 * s.arena_used + headroom < s.arena_size) return;
    size_t new_size = extra + 2 * s.arena_size;
    auto* grown = static_cast<uint8_t*>(std::malloc(new_size));
    if (grown == nullptr) {
        raise_error(out_of_memory_arena);
        std::abort();
    }
    std::memcpy(grown, s.arena, s.arena_used);
    for (uint32_t i = 0; i < s.string_count; ++i)
        if (StringDescriptor* d = s.string_list[i]) d->data = grown + (d->data - s.arena);
    std::free(s.arena);
    s.arena = grown;
    s.arena_size = new_size;
}

// Drops the holes of the string list and renumbers; doubles it when it stays
// at least half full.
void make_room_in_list() {
    uint32_t kept = 0;
    for (uint32_t i = 0; i < s.string_count; ++i) {
        StringDescriptor* d = s.string_list[i];
        if (d == nullptr) continue;
        d->list_index = kept;
        s.string_list[kept++] = d;
    }
    std::memset(s.string_list + kept, 0, (s.string_count - kept) * sizeof(StringDescriptor*));
    s.string_count = kept;
    if (s.string_count >= s.list_capacity / 2 &&
        !grow_array(s.string_list, s.list_capacity, initial_list_entries, out_of_memory_string_list))
        std::abort();
}

void append_to_list(StringDescriptor* d) {
    if (s.string_count >= s.list_capacity) make_room_in_list();
    d->list_index = s.string_count;
    s.string_list[s.string_count++] = d;
}

bool is_listed(const StringDescriptor* d) {
    return d->list_index < s.string_count && s.string_list[d->list_index] == d;
}

// After an entry became a hole: the list ends at its last live string, and
// the free area begins after that string's headroom.
void trim_list_end() {
    while (s.string_count > 0 && s.string_list[s.string_count - 1] == nullptr) --s.string_count;
    if (s.string_count == 0) {
        s.arena_used = 0;
        return;
    }
    const StringDescriptor* last = s.string_list[s.string_count - 1];
    size_t end = static_cast<size_t>(last->data - s.arena) + static_cast<size_t>(last->length) + headroom;
    s.arena_used = end < s.arena_size ? end : s.arena_size;
}

size_t end_offset(const StringDescriptor* d, uint32_t length) {
    return static_cast<size_t>(d->data - s.arena) + length;
}

// --- the string segment of emulated memory -----------------------------------

void append_to_emulated_list(StringDescriptor* d) {
    if (s.emulated_count >= s.emulated_capacity &&
        !grow_array(s.emulated_list, s.emulated_capacity, 16, out_of_memory_emulated_list))
        std::abort();
    d->list_index = s.emulated_count;
    s.emulated_list[s.emulated_count++] = d;
}

void write_emulated_entry(StringDescriptor* d) {
    if (d->emulated_entry == nullptr) return;
    uint16_t entry[2] = {static_cast<uint16_t>(d->length), static_cast<uint16_t>(d->data - segment_base())};
    std::memcpy(d->emulated_entry, entry, sizeof entry);
}

void compact_segment() {
    uint32_t cursor = segment_first_text;
    for (uint32_t i = 0; i < s.emulated_count; ++i) {
        StringDescriptor* d = s.emulated_list[i];
        if (d == nullptr) continue;
        std::memmove(segment_base() + cursor, d->data, static_cast<size_t>(d->length));
        d->data = segment_base() + cursor;
        write_emulated_entry(d);
        cursor += static_cast<uint32_t>(d->length);
    }
    s.segment_data_top = cursor;
}

StringDescriptor* new_emulated_string(const char* text, uint32_t length) {
    if (s.segment_entry_bottom < s.segment_data_top + length + 4) {
        raise_error(out_of_memory_segment_entries);
        std::abort();
    }
    StringDescriptor* d = take_descriptor();
    d->in_emulated_memory = 1;
    d->data = segment_base() + s.segment_data_top;
    d->length = static_cast<int32_t>(length);
    std::memcpy(d->data, text, length);
    s.segment_data_top += length;
    s.segment_entry_bottom -= 4;
    d->emulated_entry_offset = static_cast<uint16_t>(s.segment_entry_bottom);
    d->emulated_entry = reinterpret_cast<uint16_t*>(segment_base() + s.segment_entry_bottom);
    write_emulated_entry(d);
    append_to_emulated_list(d);
    return d;
}

// Growth of an emulated string: in place when it is the last text of the
// segment, else moved to the top of the segment's texts.
void grow_emulated(StringDescriptor* dest, const StringDescriptor* source) {
    uint32_t length = static_cast<uint32_t>(source->length);
    bool last = dest->list_index + 1 == s.emulated_count;
    uint32_t start = static_cast<uint32_t>(dest->data - segment_base());
    if (last && start + length <= s.segment_entry_bottom) {
        std::memmove(dest->data, source->data, length);
        s.segment_data_top = start + length;
    } else {
        s.emulated_list[dest->list_index] = nullptr;
        if (s.segment_data_top + length > s.segment_entry_bottom) compact_segment();
        if (s.segment_data_top + length > s.segment_entry_bottom) {
            raise_error(out_of_memory_segment);
            std::abort();
        }
        append_to_emulated_list(dest);
        dest->data = segment_base() + s.segment_data_top;
        std::memmove(dest->data, source->data, length);
        s.segment_data_top += length;
    }
    dest->length = static_cast<int32_t>(length);
}

// --- variable storage ----------------------------------------------------------

void take_variable_block(size_t size) {
    if (s.variable_block_count == s.variable_block_capacity &&
        !grow_array(s.variable_blocks, s.variable_block_capacity, 8, out_of_memory_variables))
        std::abort();
    auto* block = static_cast<uint8_t*>(std::calloc(1, size));
    if (block == nullptr) {
        raise_error(out_of_memory_variables);
        std::abort();
    }
    s.variable_blocks[s.variable_block_count++] = block;
    s.variable_block_size = size;
    s.variable_bump = block;
    s.variable_end = block + size;
}

void release_all_storage() {
    for (uint32_t i = 0; i < s.descriptor_block_count; ++i) std::free(s.descriptor_blocks[i]);
    for (uint32_t i = 0; i < s.variable_block_count; ++i) std::free(s.variable_blocks[i]);
    std::free(s.descriptor_blocks);
    std::free(s.variable_blocks);
    std::free(s.free_descriptors);
    std::free(s.string_list);
    std::free(s.temp_list);
    std::free(s.emulated_list);
    std::free(s.arena);
    s = StringStorage{};
}

}  // namespace

// Start-up takes everything at once; a second call (tests) starts afresh.
void strings_start() {
    release_all_storage();
    if (!grow_array(s.descriptor_blocks, s.descriptor_block_capacity, 16, out_of_memory_general) ||
        !take_descriptor_block() ||
        !grow_array(s.free_descriptors, s.free_capacity, initial_list_entries, out_of_memory_free_stack) ||
        !grow_array(s.string_list, s.list_capacity, initial_list_entries, out_of_memory_string_list) ||
        !grow_array(s.temp_list, s.temp_capacity, initial_list_entries, out_of_memory_temp_list) ||
        !grow_array(s.emulated_list, s.emulated_capacity, 16, out_of_memory_emulated_list))
        std::abort();
    s.arena = static_cast<uint8_t*>(std::malloc(initial_arena_bytes));
    if (s.arena == nullptr) {
        raise_error(out_of_memory_arena);
        std::abort();
    }
    s.arena_size = initial_arena_bytes;
    take_variable_block(initial_variable_bytes);
    // The segment's top bytes are reserved and stay zero; entries grow down
    // from below them, texts grow up from offset 256.
    s.segment_data_top = segment_first_text;
    s.segment_entry_bottom = segment_size - segment_reserved_top;
    std::memset(segment_base() + s.segment_entry_bottom, 0, segment_reserved_top);
    s.nothing = new_emulated_string("", 0);
    s.space = new_emulated_string(" ", 1);
}

uint32_t current_temp_top() { return s.temp_top; }

int32_t release_temporaries(uint32_t base_index, int32_t value) {
    while (s.temp_top > base_index && s.temp_top > 1) {
        --s.temp_top;
        if (StringDescriptor* d = s.temp_list[s.temp_top]) free_string(d);
    }
    return value;
}

StringDescriptor* new_string(uint32_t length, bool temporary) {
    if (length > longest_text) {
        raise_error(out_of_memory_arena);
        std::abort();
    }
    if (s.arena_size < s.arena_used + length + headroom) compact_arena(length + headroom);
    StringDescriptor* d = take_descriptor();
    d->length = static_cast<int32_t>(length);
    d->data = s.arena + s.arena_used;
    s.arena_used += length + headroom;
    append_to_list(d);
    if (temporary) list_temporary(d);
    return d;
}

StringDescriptor* new_fixed_string(uint32_t length) {
    StringDescriptor* d = take_descriptor();
    d->fixed = 1;
    d->length = static_cast<int32_t>(length);
    d->data = static_cast<uint8_t*>(allocate_variable(length ? length : 1));
    std::memset(d->data, ' ', length);
    return d;
}

StringDescriptor* temp_literal(const char* text, int32_t length) {
    static const char no_text = 0;
    StringDescriptor* d = take_descriptor();
    d->data = reinterpret_cast<uint8_t*>(const_cast<char*>(text ? text : &no_text));
    d->length = text && length > 0 ? length : 0;
    d->read_only = 1;
    list_temporary(d);
    return d;
}

StringDescriptor* temp_cstring(const char* text) {
    return temp_literal(text, text ? static_cast<int32_t>(std::strlen(text)) : 0);
}

void free_string(StringDescriptor* string) {
    if (string == nullptr || string->data == nullptr) return;
    string->field_link = nullptr;
    if (string->temp_index != 0) unlist_temporary(string);
    if (!string->fixed && !string->read_only) {
        if (string->in_emulated_memory) {
            if (string->list_index < s.emulated_count && s.emulated_list[string->list_index] == string) {
                s.emulated_list[string->list_index] = nullptr;
                if (string->list_index + 1 == s.emulated_count) --s.emulated_count;
            }
        } else if (is_listed(string)) {
            s.string_list[string->list_index] = nullptr;
            trim_list_end();
        }
    }
    return_descriptor(string);
}

namespace {

// Steps 4a-4c of assignment: grows dest in place when nothing live stands in
// the way; false when it has to move.
bool grow_in_place(StringDescriptor* dest, StringDescriptor* source) {
    uint32_t length = static_cast<uint32_t>(source->length);
    if (dest->list_index + 1 == s.string_count) {
        if (end_offset(dest, length) > s.arena_size) return false;
        std::memmove(dest->data, source->data, length);
        dest->length = static_cast<int32_t>(length);
        s.arena_used = end_offset(dest, length);
        return true;
    }
    for (uint32_t i = dest->list_index + 1; i < s.string_count; ++i) {
        StringDescriptor* next = s.string_list[i];
        if (next == nullptr || (next == source && source->temporary)) continue;
        if (next->data < dest->data + length) return false;
        std::memmove(dest->data, source->data, length);
        dest->length = static_cast<int32_t>(length);
        return true;
    }
    // Only holes and the temporary source follow: the list ends here. (Not
    // cut when the text must move: compaction has to see the source.)
    if (end_offset(dest, length) > s.arena_size) return false;
    s.string_count = dest->list_index + 1;
    std::memmove(dest->data, source->data, length);
    dest->length = static_cast<int32_t>(length);
    s.arena_used = end_offset(dest, length);
    return true;
}

void relocate(StringDescriptor* dest, StringDescriptor* source) {
    uint32_t length = static_cast<uint32_t>(source->length);
    if (is_listed(dest)) s.string_list[dest->list_index] = nullptr;
    if (s.arena_size < s.arena_used + length) compact_arena(length);
    append_to_list(dest);
    dest->data = s.arena + s.arena_used;
    dest->length = static_cast<int32_t>(length);
    s.arena_used += length;
    std::memcpy(dest->data, source->data, length);
}

// A temporary's text becomes dest's: dest takes over the temporary's list
// entry, and the temporary's descriptor goes back to the pool.
void take_over(StringDescriptor* dest, StringDescriptor* source) {
    if (is_listed(dest)) s.string_list[dest->list_index] = nullptr;
    dest->list_index = source->list_index;
    s.string_list[dest->list_index] = dest;
    dest->data = source->data;
    dest->length = source->length;
    unlist_temporary(source);
    return_descriptor(source);
}

}  // namespace

StringDescriptor* assign_string(StringDescriptor* dest, StringDescriptor* source) {
    if (error_pending() || dest == source) return dest;
    uint32_t length = static_cast<uint32_t>(source->length);
    if (dest->fixed) {
        uint32_t room = static_cast<uint32_t>(dest->length);
        uint32_t copied = length < room ? length : room;
        std::memmove(dest->data, source->data, copied);
        std::memset(dest->data + copied, ' ', room - copied);
    } else if (source->temporary && !source->fixed && !source->read_only && !source->in_emulated_memory &&
               !dest->in_emulated_memory && !dest->read_only && is_listed(source)) {
        take_over(dest, source);
        return dest;
    } else if (dest->read_only) {
        // Program bytes are never written: the string gets text of its own.
        dest->read_only = 0;
        relocate(dest, source);
    } else if (static_cast<uint32_t>(dest->length) >= length) {
        std::memmove(dest->data, source->data, length);
        dest->length = static_cast<int32_t>(length);
    } else if (dest->in_emulated_memory) {
        grow_emulated(dest, source);
    } else if (!is_listed(dest) || !grow_in_place(dest, source)) {
        relocate(dest, source);
    }
    if (source->temporary) free_string(source);
    write_emulated_entry(dest);
    return dest;
}

StringDescriptor* nothing_string() { return s.nothing; }
StringDescriptor* space_string() { return s.space; }

void* allocate_variable(size_t byte_count) {
    // Every variable starts on an 8-byte boundary (doubles, pointers).
    size_t size = (byte_count + 7) & ~static_cast<size_t>(7);
    if (size < byte_count || size > SIZE_MAX / 4) {
        raise_error(out_of_memory_variables);
        std::abort();
    }
    if (size >= static_cast<size_t>(s.variable_end - s.variable_bump))
        take_variable_block(size + 2 * s.variable_block_size);
    uint8_t* at = s.variable_bump;
    s.variable_bump += size;
    return at;
}

uint8_t* variable_storage_mark() { return s.variable_bump; }

void variable_storage_restore(uint8_t* mark) {
    uint8_t* start = s.variable_blocks[s.variable_block_count - 1];
    s.variable_bump = (mark >= start && mark <= s.variable_end) ? mark : start;
}
