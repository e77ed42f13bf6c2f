"""The benchmark table: figures, verdicts, rows for undescribed benchmarks and
the README rewrite between the markers."""
import os
import sys
import unittest

sys.dont_write_bytecode = True  # keeps tools/ free of compiled files
sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tools"))
import bench_table  # noqa: E402


def run(name, cpu_ns=100.0, real_ns=None, **extra):
    record = {"name": name, "run_name": name, "run_type": "iteration", "iterations": 1000,
              "real_time": real_ns if real_ns is not None else cpu_ns, "cpu_time": cpu_ns, "time_unit": "ns"}
    record.update(extra)
    return record


def rows(*runs):
    return bench_table.make_table({"benchmarks": list(runs)}).splitlines()[2:]


class Figures(unittest.TestCase):
    def test_durations_take_a_readable_unit(self):
        self.assertEqual(bench_table.duration(87.4e-9), "87.4 ns")
        self.assertEqual(bench_table.duration(1234e-9), "1.23 µs")
        self.assertEqual(bench_table.duration(0.5), "500 ms")
        self.assertEqual(bench_table.duration(12.0), "12 s")

    def test_ratio_against_its_reference_and_the_verdict(self):
        fast, slow = rows(run("BM_PresentChangedFrameWindowed", 30000), run("BM_MemcpyBytes/256000", 10000))[0], \
            rows(run("BM_PresentChangedFrameWindowed", 70000), run("BM_MemcpyBytes/256000", 10000))[0]
        self.assertIn("3x memcpy", fast)
        self.assertTrue(fast.endswith("| yes |"))
        self.assertIn("7x memcpy", slow)
        self.assertTrue(slow.endswith("| **no** |"))

    def test_missing_reference_leaves_the_ratio_out_but_keeps_the_row(self):
        (line,) = rows(run("BM_PresentUnchangedFrame", 5000))
        self.assertIn("| 5 µs |", line)
        self.assertNotIn("memcmp |", line.split("|")[3])

    def test_manual_time_is_read_instead_of_the_parent_cpu_time(self):
        (line,) = rows(run("BM_ProcessStartToFirstFrame/iterations:10/manual_time", cpu_ns=2e6, real_ns=9e8,
                           time_unit="ns", overhead_ms=80.0, longest_ms=1100.0))
        self.assertIn("| ProcessStartToFirstFrame |", line)
        self.assertIn("900 ms; overhead 80 ms; longest 1.1 s", line)
        self.assertTrue(line.endswith("| yes |"))

    def test_per_item_figures_and_both_bounds_of_a_range(self):
        (paint,) = rows(run("BM_PaintWholeScreen", items_per_second=1e8))
        self.assertIn("10 ns/px", paint)
        (loop,) = rows(run("BM_MainThreadWhileProgramSleeps/iterations:1", main_thread_cpu_percent=0.4,
                           main_loop_iterations_per_s=70.0))
        self.assertIn("0.4 % CPU; 70 it/s", loop)
        self.assertTrue(loop.endswith("| **no** |"))

    def test_arguments_caught_by_a_pattern_fill_the_description(self):
        (line,) = rows(run("BM_PlayStep/7", 12000))
        self.assertIn("level 7", line)
        self.assertIn("≤ 20 µs", line)


class Rows(unittest.TestCase):
    def test_a_benchmark_nobody_described_still_shows_its_figures(self):
        (line,) = rows(run("BM_SomethingNew/manual_time", cpu_ns=1, real_ns=2.5e6, exit_ms=120.0,
                           share_percent=3.25, items_per_second=4e6, label="4 tunes"))
        self.assertEqual(line, "| SomethingNew |  | 2.5 ms; 250 ns/item; exit 120 ms; share 3.25 %; 4 tunes |  |  |")

    def test_a_skipped_benchmark_says_why(self):
        (line,) = rows(run("BM_PresentUnchangedFrame", error_occurred=True, error_message="no video surface"))
        self.assertIn("skipped: no video surface", line)

    def test_rows_keep_the_order_of_the_run(self):
        names = [line.split("|")[1].strip() for line in rows(run("BM_YieldAlone"), run("BM_AssignChrToVariable"))]
        self.assertEqual(names, ["YieldAlone", "AssignChrToVariable"])


class MergedRuns(unittest.TestCase):
    def test_runs_of_a_second_file_follow_the_first_and_its_context_stays(self):
        import json
        import tempfile
        first = {"context": {"num_cpus": 2}, "benchmarks": [run("CloseToExit/tune", real_ns=60e6)]}
        second = {"context": {"num_cpus": 8}, "benchmarks": [run("CloseToExitOnSdl12Compat/tune", real_ns=70e6)]}
        with tempfile.TemporaryDirectory() as folder:
            paths = [os.path.join(folder, name) for name in ("a.json", "b.json")]
            for path, results in zip(paths, (first, second)):
                with open(path, "w", encoding="utf-8") as file:
                    json.dump(results, file)
            merged = bench_table.merged_results(paths)
        self.assertEqual(merged["context"], {"num_cpus": 2})
        table = bench_table.make_table(merged).splitlines()[2:]
        self.assertEqual([line.split("|")[1].strip() for line in table], ["CloseToExit/tune", "CloseToExitOnSdl12Compat/tune"])
        self.assertIn("with sdl12-compat", table[1])


class Readme(unittest.TestCase):
    text = "# T\n\nbefore\n\n<!-- benchmarks:begin -->\nold table\n<!-- benchmarks:end -->\n\nafter\n"

    def test_only_the_part_between_the_markers_changes(self):
        once = bench_table.replace_between_markers(self.text, "new\n")
        self.assertEqual(once, self.text.replace("old table\n", "new\n"))
        self.assertEqual(bench_table.replace_between_markers(once, "new\n"), once)

    def test_a_readme_without_markers_gains_the_section_at_its_end(self):
        written = bench_table.replace_between_markers("# T\n\ntext\n", "table\n")
        self.assertTrue(written.startswith("# T\n\ntext\n\n## Benchmarks\n"))
        self.assertTrue(written.endswith("<!-- benchmarks:begin -->\ntable\n<!-- benchmarks:end -->\n"))


if __name__ == "__main__":
    unittest.main()
