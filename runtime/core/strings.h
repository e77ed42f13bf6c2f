// Dynamic strings and variable storage.
//
// Every text value of the program is a StringDescriptor pointing at bytes the
// runtime holds. Text is a byte sequence (code page 437), never terminated.
//
// | kind        | where the bytes are                     | listed in          |
// |-------------|-----------------------------------------|--------------------|
// | ordinary    | the string arena (grows, is compacted)  | the string list    |
// | temporary   | the arena, or program bytes (literals)  | also the temp list |
// | fixed       | variable storage; length never changes  | nowhere            |
// | emulated    | the string segment of emulated memory   | the emulated list  |
//
// Temporaries are expression results that nobody has stored yet. A statement
// saves current_temp_top() first and calls release_temporaries with it at its
// end; assigning a temporary to a variable moves its text instead of copying.
//
// Program thread only. While an error is pending the value operations
// (assignment and every string function) return their neutral result: an
// empty temporary, the destination unchanged, or 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

struct StringDescriptor {
    uint8_t* data;
    int32_t length;               // bytes, never negative
    uint8_t in_emulated_memory;   // 1: the text lies in the string segment
    uint16_t* emulated_entry;     // (length, offset) entry of a non-temporary emulated string
    uint16_t emulated_entry_offset;
    uint32_t list_index;          // index in the string list (or the emulated list)
    uint8_t temporary;
    uint32_t temp_index;          // index in the temp list; 0: not listed
    uint8_t fixed;                // fixed-length string
    uint8_t read_only;            // data points at bytes the runtime does not own
    void* field_link;             // file FIELD record; always null here
};

// Start-up (and test reset): the descriptor pool, the lists, the 1 MiB arena,
// the 1 MiB variable block, and the two strings of the string segment.
// Expects emulated_memory to be cleared already.
void strings_start();

// The next free index of the temporaries list; a statement saves it first.
uint32_t current_temp_top();

// End-of-statement clean-up: frees the temporaries from base_index up and
// returns value (so that a condition can be cleaned up and tested at once).
int32_t release_temporaries(uint32_t base_index, int32_t value);

// A new string of length bytes with unset text; 32 bytes of headroom follow it.
StringDescriptor* new_string(uint32_t length, bool temporary);

// A new fixed-length string of length bytes (spaces), held in variable storage.
StringDescriptor* new_fixed_string(uint32_t length);

// Temporaries over program bytes: read-only, nothing is copied.
StringDescriptor* temp_literal(const char* text, int32_t length);  // negative: empty
StringDescriptor* temp_cstring(const char* text);  // null gives an empty string

// dest = source. A temporary source is consumed (moved or freed).
StringDescriptor* assign_string(StringDescriptor* dest, StringDescriptor* source);

void free_string(StringDescriptor* string);

// left + right as a temporary; temporary operands are consumed. An empty
// operand returns the other one itself.
StringDescriptor* concat_strings(StringDescriptor* left, StringDescriptor* right);

// The = comparison: -1 when equal, else 0.
int32_t string_equal(StringDescriptor* left, StringDescriptor* right);

// <>, <, <=, >, >=: -1 when true, else 0. Bytes compare as unsigned values
// over the shorter length; when those are equal the shorter string is less.
int32_t string_not_equal(StringDescriptor* left, StringDescriptor* right);
int32_t string_less(StringDescriptor* left, StringDescriptor* right);
int32_t string_less_equal(StringDescriptor* left, StringDescriptor* right);
int32_t string_greater(StringDescriptor* left, StringDescriptor* right);
int32_t string_greater_equal(StringDescriptor* left, StringDescriptor* right);

// The cutting functions. A temporary in the arena is cut where it lies and
// returned itself (nothing copied, nothing allocated); any other argument
// gives a new temporary, and a temporary argument is freed.
//
// | function        | result                                              |
// |-----------------|-----------------------------------------------------|
// | LEFT$(s, n)     | the first n bytes, n clamped to 0..length           |
// | RIGHT$(s, n)    | the last n bytes, n clamped to 0..length            |
// | MID$(s, p[, n]) | n bytes (all the rest without n) from byte p; p and |
// |                 | n are clamped to the string, no error               |
// | LTRIM$, RTRIM$  | leading / trailing spaces (byte 32 only) removed    |
StringDescriptor* left_string(StringDescriptor* s, int32_t count);
StringDescriptor* right_string(StringDescriptor* s, int32_t count);
StringDescriptor* mid_string(StringDescriptor* s, int32_t start, int32_t count, uint32_t passed);  // bit 0: count
StringDescriptor* ltrim_string(StringDescriptor* s);
StringDescriptor* rtrim_string(StringDescriptor* s);

// UCASE$, LCASE$: ASCII letters only. When nothing changes the argument
// itself is returned; a temporary in the arena is changed where it lies.
StringDescriptor* ucase_string(StringDescriptor* s);
StringDescriptor* lcase_string(StringDescriptor* s);

// INSTR([start,] haystack, needle), passed bit 0: start. The 1-based position
// of the first occurrence at or after start (below 1 counts as 1), else 0. An
// empty needle is found at start when start lies inside a non-empty haystack.
int32_t instr_position(int32_t start, StringDescriptor* haystack, StringDescriptor* needle, uint32_t passed);

// ASC(s[, position]), passed bit 0: position (default 1). Error 5 for an empty
// string or a position outside it.
int32_t asc_code(StringDescriptor* s, int32_t position, uint32_t passed);

// LEN.
int32_t string_length(StringDescriptor* s);

// CHR$: error 5 and an empty temporary outside 0..255.
StringDescriptor* chr_string(int32_t code);

// STRING$(count, code): a negative count gives an empty string; each byte is
// the low 8 bits of code.
StringDescriptor* repeat_char_string(int32_t count, int32_t code);

// COMMAND$: the arguments after the program name joined with single spaces.
StringDescriptor* command_line();

// The two strings of the string segment made at start-up: the empty string
// that PRINT's newline receives, and a string of one space.
StringDescriptor* nothing_string();
StringDescriptor* space_string();

// Storage for one program variable (bump allocation, never freed singly).
void* allocate_variable(size_t byte_count);

// Saving and restoring the bump pointer releases the variables allocated in
// between (a routine's locals).
uint8_t* variable_storage_mark();
void variable_storage_restore(uint8_t* mark);

inline std::string_view string_text(const StringDescriptor* string) {
    return {reinterpret_cast<const char*>(string->data), static_cast<size_t>(string->length)};
}

// The process-wide storage behind the operations above. Holes in the lists
// are null entries. Tests read it to check the invariants.
struct StringStorage {
    uint8_t* arena = nullptr;          // string arena
    size_t arena_size = 0;
    size_t arena_used = 0;             // high-water mark; everything above is free
    StringDescriptor** string_list = nullptr;  // ordinary strings in arena order
    uint32_t string_count = 0;         // used entries, holes included
    uint32_t list_capacity = 0;
    StringDescriptor** temp_list = nullptr;    // index 0 never used
    uint32_t temp_top = 1;
    uint32_t temp_capacity = 0;
    StringDescriptor** emulated_list = nullptr;
    uint32_t emulated_count = 0;
    uint32_t emulated_capacity = 0;
    uint32_t segment_data_top = 0;     // segment offset of the next emulated text
    uint32_t segment_entry_bottom = 0; // segment offset of the lowest entry
    StringDescriptor** descriptor_blocks = nullptr;
    uint32_t descriptor_block_count = 0;
    uint32_t descriptor_block_capacity = 0;
    uint32_t descriptors_taken = 0;    // from the newest block
    StringDescriptor** free_descriptors = nullptr;
    uint32_t free_count = 0;
    uint32_t free_capacity = 0;
    uint32_t live_descriptors = 0;
    StringDescriptor* nothing = nullptr;
    StringDescriptor* space = nullptr;
    uint8_t** variable_blocks = nullptr;  // every block taken, the current one last
    uint32_t variable_block_count = 0;
    uint32_t variable_block_capacity = 0;
    size_t variable_block_size = 0;
    uint8_t* variable_bump = nullptr;
    uint8_t* variable_end = nullptr;
};

extern StringStorage string_storage;

// Segment offsets of the string segment inside emulated_memory.
constexpr uint32_t segment_first_text = 256;
constexpr uint32_t segment_size = 0x10000;
constexpr uint32_t segment_reserved_top = 8;
