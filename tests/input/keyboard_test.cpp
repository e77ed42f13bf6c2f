#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "runtime/core/emulated_memory.h"
#include "runtime/core/events.h"
#include "runtime/core/runtime_control.h"
#include "runtime/input/keyboard.h"
#include "runtime/platform/system.h"
#include "runtime/screen/present.h"

namespace {

// The keyboard as the main loop drives it, in this process and without
// threads: real SDL key events handed to keyboard_event, INKEY$ on the ring.
class Keyboard : public ::testing::Test {
protected:
    void SetUp() override {
        clear_emulated_memory();
        reset_runtime_control();
        reset_event_tables();
        reset_keyboard_state();
        set_os_scroll_lock(false);
        fill_on_key_defaults();
        empty_keyboard_buffer();
        update_key_flags();
    }

    static void event(Uint8 type, SDLKey sym, Uint16 unicode) {
        SDL_KeyboardEvent key{};
        key.type = type;
        key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        key.keysym.sym = sym;
        key.keysym.unicode = unicode;
        keyboard_event(key);
    }
    static void down(SDLKey sym, Uint16 unicode = 0) { event(SDL_KEYDOWN, sym, unicode); }
    static void up(SDLKey sym) { event(SDL_KEYUP, sym, 0); }
    static void tap(SDLKey sym, Uint16 unicode = 0) {
        down(sym, unicode);
        up(sym);
    }
    // Taps a key while a modifier is held.
    static void chord(SDLKey modifier, SDLKey sym, Uint16 unicode = 0) {
        down(modifier);
        tap(sym, unicode);
        up(modifier);
    }

    // INKEY$ until empty, each result as its bytes.
    static std::vector<std::string> read_all() {
        std::vector<std::string> keys;
        uint8_t bytes[2];
        while (int length = inkey_bytes(bytes)) keys.emplace_back(reinterpret_cast<char*>(bytes), static_cast<size_t>(length));
        return keys;
    }
    static std::string read_one() {
        uint8_t bytes[2];
        int length = inkey_bytes(bytes);
        return std::string(reinterpret_cast<char*>(bytes), static_cast<size_t>(length));
    }
    static std::string extended(char scan) { return std::string(1, '\0') + scan; }
};

TEST_F(Keyboard, EmptyBufferGivesEmptyString) {
    EXPECT_EQ(read_one(), "");
    EXPECT_EQ(emulated_memory[0x41A], 0x1E);
    EXPECT_EQ(emulated_memory[0x41C], 0x1E);
}

TEST_F(Keyboard, LettersFollowShiftCtrlAndAlt) {
    tap(SDLK_a, 'a');
    chord(SDLK_LSHIFT, SDLK_a, 'A');
    chord(SDLK_LCTRL, SDLK_a, 1);
    chord(SDLK_LALT, SDLK_a, 'a');
    EXPECT_EQ(read_all(), (std::vector<std::string>{"a", "A", "\x01", extended(0x1E)}));
}

TEST_F(Keyboard, CursorAndFunctionKeysGiveZeroAndScan) {
    tap(SDLK_UP);
    tap(SDLK_DOWN);
    tap(SDLK_LEFT);
    tap(SDLK_RIGHT);
    tap(SDLK_F1);
    chord(SDLK_LSHIFT, SDLK_F1);
    tap(SDLK_F11);
    chord(SDLK_RCTRL, SDLK_F12);
    tap(SDLK_DELETE, 127);
    EXPECT_EQ(read_all(), (std::vector<std::string>{extended('H'), extended('P'), extended('K'), extended('M'),
                                                    extended(';'), extended('T'), extended('\x85'), extended('\x8A'),
                                                    extended('S')}));
}

TEST_F(Keyboard, ControlKeysGiveTheirCharacters) {
    tap(SDLK_ESCAPE, 27);
    tap(SDLK_RETURN, 13);
    tap(SDLK_BACKSPACE, 8);
    tap(SDLK_BACKSPACE, 127);  // some systems deliver DEL for Backspace
    tap(SDLK_TAB, 9);
    chord(SDLK_LSHIFT, SDLK_TAB, 9);
    EXPECT_EQ(read_all(), (std::vector<std::string>{"\x1B", "\r", "\b", "\b", "\t", extended(0x0F)}));
    // The scan code travels with the character in the ring.
    tap(SDLK_ESCAPE, 27);
    EXPECT_EQ(emulated_memory[0x400 + emulated_memory[0x41A] + 1], 0x01);
}

TEST_F(Keyboard, CtrlPairsAndCtrlDigits) {
    chord(SDLK_LCTRL, SDLK_RETURN, 10);
    chord(SDLK_LCTRL, SDLK_LEFTBRACKET, 27);
    chord(SDLK_LCTRL, SDLK_6, 30);
    chord(SDLK_LCTRL, SDLK_2);  // no character: the key itself
    chord(SDLK_LCTRL, SDLK_1);  // Ctrl+1 has no code
    EXPECT_EQ(read_all(), (std::vector<std::string>{"\n", "\x1B", "\x1E", extended(0x03)}));
}

TEST_F(Keyboard, AltDigitsAndPunctuationGiveExtendedCodes) {
    chord(SDLK_LALT, SDLK_1, '1');
    chord(SDLK_LALT, SDLK_0, '0');
    chord(SDLK_LALT, SDLK_MINUS, '-');
    chord(SDLK_RALT, SDLK_RETURN, 13);  // Alt+Enter is the full-screen switch, not a key
    EXPECT_EQ(read_all(), (std::vector<std::string>{extended('\x78'), extended('\x81'), extended('\x82')}));
}

TEST_F(Keyboard, AccentedCharacterGivesItsCodePageByteWithScanZero) {
    tap(static_cast<SDLKey>(233), 0xE9);
    EXPECT_EQ(emulated_memory[0x400 + emulated_memory[0x41A] + 1], 0);
    EXPECT_EQ(read_all(), (std::vector<std::string>{"\x82"}));
}

TEST_F(Keyboard, UnicodeOutsideAsciiMapsThroughTheCodePage) {
    tap(SDLK_UNKNOWN, 0x263A);  // a character without a key: pressed and released at once
    tap(SDLK_UNKNOWN, 0xFF21);  // full-width A
    tap(SDLK_UNKNOWN, 0x3000);  // ideographic space
    tap(SDLK_UNKNOWN, 0x20AC);  // the euro sign has no code page 437 byte: nothing stored
    EXPECT_EQ(read_all(), (std::vector<std::string>{"\x01", "A", " "}));
    EXPECT_TRUE(keyboard.held.held_codes.empty());
    EXPECT_EQ(codepage_code(0x20AC), 0x20ACu | key_not_in_codepage);
    EXPECT_EQ(codepage_code(0x00A0), 255u);
}

TEST_F(Keyboard, AltAndKeypadDigitsComposeACharacter) {
    down(SDLK_LALT);
    tap(SDLK_KP6, '6');
    tap(SDLK_KP5, '5');
    EXPECT_EQ(read_one(), "");
    up(SDLK_LALT);
    EXPECT_EQ(read_all(), (std::vector<std::string>{"A"}));
    // With Num Lock off the keypad sends no characters; the digits still count.
    down(SDLK_RALT);
    tap(SDLK_KP1);
    tap(SDLK_KP3);
    tap(SDLK_KP0);
    up(SDLK_RALT);
    EXPECT_EQ(read_all(), (std::vector<std::string>{"\x82"}));
    // Another key between Alt and the digits ends the composition.
    down(SDLK_LALT);
    tap(SDLK_x, 'x');
    tap(SDLK_KP6, '6');
    up(SDLK_LALT);
    EXPECT_EQ(read_all(), (std::vector<std::string>{extended(0x2D)}));
}

TEST_F(Keyboard, SixteenPressesKeepTheFirstFifteen) {
    const char* keys = "abcdefghijklmnop";
    for (const char* key = keys; *key; ++key) tap(static_cast<SDLKey>(*key), static_cast<Uint16>(*key));
    std::vector<std::string> read = read_all();
    ASSERT_EQ(read.size(), 15u);
    EXPECT_EQ(read.front(), "a");
    EXPECT_EQ(read.back(), "o");
}

TEST_F(Keyboard, RepeatFloodKeepsFifteenAndTheRingStaysSound) {
    tap(SDLK_q, 'q');
    EXPECT_EQ(read_one(), "q");  // the ring now starts mid-way
    down(SDLK_z, 'z');
    for (int i = 0; i < 1000; ++i) down(SDLK_z, 'z');  // key repeat with nobody reading
    up(SDLK_z);
    EXPECT_EQ(keyboard_buffer_count(), 15);
    for (uint32_t offset : {0x41Au, 0x41Cu}) {
        EXPECT_GE(emulated_memory[offset], 0x1E);
        EXPECT_LT(emulated_memory[offset], 0x3E);
        EXPECT_EQ(emulated_memory[offset] % 2, 0);
        EXPECT_EQ(emulated_memory[offset + 1], 0);
    }
    EXPECT_EQ(read_all(), std::vector<std::string>(15, "z"));
    tap(SDLK_y, 'y');
    EXPECT_EQ(read_all(), (std::vector<std::string>{"y"}));
}

TEST_F(Keyboard, PauseHoldsUntilTheNextKeyWhichIsSwallowed) {
    tap(SDLK_PAUSE);
    EXPECT_EQ(control.suspend_bits.load() & suspend_paused, suspend_paused);
    EXPECT_EQ(control.attention_flag.load(), 1);
    tap(SDLK_x, 'x');
    EXPECT_EQ(control.suspend_bits.load() & suspend_paused, 0);
    EXPECT_EQ(read_one(), "");
    tap(SDLK_y, 'y');
    EXPECT_EQ(read_all(), (std::vector<std::string>{"y"}));
    // Ctrl+Num Lock pauses too.
    chord(SDLK_LCTRL, SDLK_NUMLOCK);
    EXPECT_EQ(control.suspend_bits.load() & suspend_paused, suspend_paused);
}

TEST_F(Keyboard, AltEnterCountsAndDoesNotReachInkey) {
    int32_t before = alt_enter_count.load();
    chord(SDLK_LALT, SDLK_RETURN, 13);
    EXPECT_EQ(alt_enter_count.load(), before + 1);
    EXPECT_EQ(read_one(), "");
}

TEST_F(Keyboard, CtrlBreakStopsOrIsRecorded) {
    chord(SDLK_LCTRL, SDLK_SCROLLOCK);
    EXPECT_EQ(control.stop_request.load(), 1);
    reset_runtime_control();
    control.exit_handling_enabled = 1;
    tap(SDLK_BREAK);
    EXPECT_EQ(control.stop_request.load(), 0);
    EXPECT_EQ(control.exit_request_bits.load(), 2);
}

TEST_F(Keyboard, FlagBytesFollowModifiersAndLocks) {
    EXPECT_EQ(emulated_memory[0x496], 0x10);
    down(SDLK_LSHIFT);
    down(SDLK_RCTRL);
    down(SDLK_LALT);
    EXPECT_EQ(emulated_memory[0x417], 0x02 | 0x04 | 0x08);
    EXPECT_EQ(emulated_memory[0x418], 0x02);
    EXPECT_EQ(emulated_memory[0x496], 0x11);
    up(SDLK_LSHIFT);
    up(SDLK_RCTRL);
    up(SDLK_LALT);
    EXPECT_EQ(emulated_memory[0x417], 0);
    EXPECT_EQ(emulated_memory[0x418], 0);
    EXPECT_EQ(emulated_memory[0x496], 0x10);
    down(SDLK_CAPSLOCK);  // the window system reports a lock turning on as a press
    down(SDLK_NUMLOCK);
    EXPECT_EQ(emulated_memory[0x417], 0x40 | 0x20);
    tap(SDLK_SCROLLOCK);
    EXPECT_EQ(emulated_memory[0x417] & 0x10, 0x10);
    EXPECT_TRUE(os_lock_states().scroll_lock);
    tap(SDLK_SCROLLOCK);
    EXPECT_EQ(emulated_memory[0x417] & 0x10, 0);
}

TEST_F(Keyboard, CapsLockAndShiftChooseTheCaseOfBareLetterSymbols) {
    tap(SDLK_a);
    down(SDLK_CAPSLOCK);
    tap(SDLK_b);
    chord(SDLK_RSHIFT, SDLK_c);
    EXPECT_EQ(read_all(), (std::vector<std::string>{"a", "B", "c"}));
}

TEST_F(Keyboard, InsertTogglesItsStateOnlyWithoutModifiers) {
    down(SDLK_INSERT);
    EXPECT_EQ(emulated_memory[0x417] & 0x80, 0x80);
    EXPECT_EQ(emulated_memory[0x418] & 0x80, 0x80);
    down(SDLK_INSERT);  // repeat while held does not toggle back
    up(SDLK_INSERT);
    EXPECT_EQ(emulated_memory[0x417] & 0x80, 0x80);
    EXPECT_EQ(emulated_memory[0x418] & 0x80, 0);
    chord(SDLK_LSHIFT, SDLK_INSERT);
    EXPECT_EQ(emulated_memory[0x417] & 0x80, 0x80);
    tap(SDLK_INSERT);
    EXPECT_EQ(emulated_memory[0x417] & 0x80, 0);
    EXPECT_EQ(read_all(), std::vector<std::string>(4, extended('R')));
}

TEST_F(Keyboard, KeypadFollowsNumLockShiftAndCtrl) {
    tap(SDLK_KP5);                 // Num Lock off: the centre navigation key
    tap(SDLK_KP_ENTER, 13);
    tap(SDLK_KP_MULTIPLY, '*');
    chord(SDLK_LCTRL, SDLK_KP8);
    down(SDLK_NUMLOCK);
    tap(SDLK_KP5, '5');
    chord(SDLK_LSHIFT, SDLK_KP7, '7');  // Num Lock + Shift on a digit: navigation again
    chord(SDLK_LSHIFT, SDLK_KP7);       // Shift on a navigation key: the digit
    chord(SDLK_LCTRL, SDLK_KP_ENTER, 13);
    chord(SDLK_LCTRL, SDLK_KP_DIVIDE, '/');
    EXPECT_EQ(read_all(), (std::vector<std::string>{extended(0x4C), "\r", "*", extended('\x8D'), "5", extended(0x47), "7", "\n",
                                                    extended('\x95')}));
}

TEST_F(Keyboard, AltGrCharactersArriveAsTyped) {
    down(SDLK_LCTRL);
    down(SDLK_RALT);
    tap(SDLK_q, '@');
    up(SDLK_RALT);
    up(SDLK_LCTRL);
    chord(SDLK_LALT, SDLK_2, '@');
    EXPECT_EQ(read_all(), (std::vector<std::string>{"@", extended(0x79)}));
}

TEST_F(Keyboard, ReleaseFindsTheCodeByItsSymbol) {
    down(SDLK_LSHIFT);
    down(SDLK_a, 'A');
    up(SDLK_LSHIFT);
    EXPECT_TRUE(is_key_held('A'));
    up(SDLK_a);
    EXPECT_FALSE(is_key_held('A'));
    EXPECT_TRUE(keyboard.held.held_codes.empty());
}

TEST_F(Keyboard, KeypadTwinsCountAsHeld) {
    down(SDLK_NUMLOCK);
    down(SDLK_KP8, '8');
    EXPECT_TRUE(is_key_held('8'));
    up(SDLK_KP8);
    up(SDLK_NUMLOCK);
    down(SDLK_KP8);
    EXPECT_TRUE(is_key_held(0x4800));
    EXPECT_FALSE(is_key_held('8'));
    up(SDLK_KP8);
    down(SDLK_KP_ENTER, 13);
    EXPECT_TRUE(is_key_held(13));
}

TEST_F(Keyboard, KeyEventQueueRecordsPressesReleasesAndKeypadKeys) {
    tap(SDLK_a, 'a');
    down(SDLK_NUMLOCK);
    tap(SDLK_KP8, '8');
    up(SDLK_NUMLOCK);
    tap(SDLK_KP8);
    std::vector<std::pair<int32_t, int32_t>> seen;
    for (KeyEvent entry; take_key_event(entry);) seen.emplace_back(entry.value, entry.keypad);
    EXPECT_EQ(seen, (std::vector<std::pair<int32_t, int32_t>>{{97, 0},
                                                              {-97, 0},
                                                              {100300, 0},
                                                              {'8', 1},
                                                              {-'8', 1},
                                                              {-100300, 0},
                                                              {0x4800, 1},
                                                              {-0x4800, 1}}));
    for (uint32_t i = 0; i < key_event_queue_size; ++i) tap(SDLK_b, 'b');
    EXPECT_EQ(key_port.key_event_queue.count(), key_event_queue_size);
    EXPECT_EQ(key_hit(), 98);  // the oldest went first
}

TEST_F(Keyboard, ScanQueueModelsTheControllerPort) {
    EXPECT_EQ(key_port.scan_queue.count(), 1u);
    EXPECT_EQ(key_port.scan_queue.peek(0), 129);
    tap(SDLK_a, 'a');
    down(SDLK_LSHIFT);
    down(SDLK_LSHIFT);  // the same value twice in a row is queued once
    up(SDLK_LSHIFT);
    std::vector<int> port;
    for (int i = 0; i < 6; ++i) port.push_back(read_scan_port());
    EXPECT_EQ(port, (std::vector<int>{129, 0x1E, 0x9E, 42, 42 + 128, 42 + 128}));
}

TEST_F(Keyboard, OnKeyHandlerTakesTheKeyAndItsRelease) {
    event_tables.key[11].has_handler = 1;
    event_tables.key[11].state = 1;
    uint32_t queued = key_port.key_event_queue.count();
    tap(SDLK_UP);
    EXPECT_EQ(event_tables.key[11].pending, 1);
    EXPECT_EQ(control.attention_flag.load(), 1);
    EXPECT_EQ(read_one(), "");
    EXPECT_EQ(key_port.key_event_queue.count(), queued);
    event_tables.key[11].state = 0;  // switched off: the key goes through
    tap(SDLK_UP);
    EXPECT_EQ(read_all(), (std::vector<std::string>{extended('H')}));
}

TEST_F(Keyboard, SoftKeyTypesItsTextInsteadOfTheKey) {
    keyboard.on_key[1].soft_key = "ok";
    tap(SDLK_F1);
    EXPECT_EQ(read_all(), (std::vector<std::string>{"o", "k"}));
}

TEST_F(Keyboard, LockKeysFollowTheSystemOnEveryIteration) {
    set_os_scroll_lock(true);
    sync_lock_keys();
    EXPECT_TRUE(is_key_held(key_scroll_lock_state));
    EXPECT_EQ(emulated_memory[0x417] & 0x10, 0x10);
    set_os_scroll_lock(false);
    sync_lock_keys();
    EXPECT_FALSE(is_key_held(key_scroll_lock_state));
    EXPECT_EQ(emulated_memory[0x417] & 0x10, 0);
}

TEST_F(Keyboard, StartUpSeedsTheLocksFromTheSystem) {
    set_os_scroll_lock(true);
    SDL_SetModState(static_cast<SDLMod>(KMOD_CAPS | KMOD_NUM));
    seed_keyboard_state();
    EXPECT_TRUE(is_key_held(key_scroll_lock_state));
    EXPECT_TRUE(is_key_held(key_caps_lock));
    EXPECT_TRUE(is_key_held(key_num_lock));
    EXPECT_EQ(emulated_memory[0x417], 0x10 | 0x20 | 0x40);
    EXPECT_EQ(emulated_memory[0x496], 0x10);
    // The system turns Caps Lock off without a key event reaching us.
    SDL_SetModState(KMOD_NUM);
    sync_lock_keys();
    EXPECT_FALSE(is_key_held(key_caps_lock));
    EXPECT_EQ(emulated_memory[0x417], 0x10 | 0x20);
    SDL_SetModState(KMOD_NONE);
    sync_lock_keys();
    EXPECT_EQ(emulated_memory[0x417], 0x10);
}

TEST_F(Keyboard, InkeyGivesNothingWhileAnErrorIsPending) {
    tap(SDLK_a, 'a');
    control.pending_error = 5;
    EXPECT_EQ(read_one(), "");
    control.pending_error = 0;
    EXPECT_EQ(read_one(), "a");
}

TEST_F(Keyboard, CorruptRingPositionsAreRepaired) {
    emulated_memory[0x41C] = 0x55;  // written by something other than the keyboard
    tap(SDLK_a, 'a');
    EXPECT_LT(emulated_memory[0x41C], 0x3E);
    emulated_memory[0x41A] = 0x07;
    EXPECT_EQ(read_one(), "");
    EXPECT_EQ(emulated_memory[0x41A], emulated_memory[0x41C]);
}

}  // namespace

// A program polling INKEY$ on an empty buffer rests between its reads (a
// few hundred reads a second, not millions), and a key the main thread
// appends meanwhile is the very next thing it reads.
TEST_F(Keyboard, PollingAnEmptyBufferRestsUntilAKeyArrives) {
    static constexpr struct {
        int typed_after_ms;  // -1: typed before the polling starts
        SDLKey sym;
        Uint16 unicode;
        const char* read;
    } rows[] = {{-1, SDLK_a, 'a', "a"}, {30, SDLK_b, 'b', "b"}, {80, SDLK_5, '5', "5"}};
    for (const auto& row : rows) {
        reset_inkey_rest();
        control.threads_started = 1;  // a main thread could append keys meanwhile
        if (row.typed_after_ms < 0) tap(row.sym, row.unicode);
        std::thread main_side([&] {
            if (row.typed_after_ms < 0) return;
            SDL_Delay(static_cast<Uint32>(row.typed_after_ms));
            tap(row.sym, row.unicode);
        });
        Uint32 start = SDL_GetTicks();
        std::string key;
        long reads = 0;
        while (key.empty() && reads < 10000000) {
            key = read_one();
            ++reads;
        }
        long polled_ms = static_cast<long>(SDL_GetTicks() - start);
        main_side.join();
        EXPECT_EQ(key, row.read) << row.typed_after_ms;
        // Sixteen quick reads only yield; every later one rests up to 10 ms.
        EXPECT_LE(reads, 16 + polled_ms / 10 + 3) << row.typed_after_ms;
    }
}

// A polling loop keeps its pace whether keys arrive or not (none, a held
// key's repeat, typing): every key is read as it comes, yet the loop reads
// no more often for it.
TEST_F(Keyboard, PollingKeepsItsPaceWhetherKeysArriveOrNot) {
    for (Uint32 key_every_ms : {0u, 30u, 120u}) {
        reset_inkey_rest();
        control.threads_started = 1;
        std::atomic<bool> polling{true};
        size_t typed = 0;
        std::thread main_side([&] {
            while (key_every_ms > 0 && polling.load()) {
                SDL_Delay(key_every_ms);
                tap(SDLK_x, 'x');
                ++typed;
            }
        });
        Uint32 start = SDL_GetTicks();
        long reads = 0;
        size_t keys = 0;
        while (SDL_GetTicks() - start < 400) {
            keys += read_one().empty() ? 0 : 1;
            ++reads;
        }
        long polled_ms = static_cast<long>(SDL_GetTicks() - start);
        polling = false;
        main_side.join();
        keys += read_all().size();
        EXPECT_EQ(keys, typed) << key_every_ms;
        EXPECT_LE(reads, 16 + polled_ms / 10 + 3) << key_every_ms;
    }
}
