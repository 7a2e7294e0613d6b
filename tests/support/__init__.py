"""Support of the Python tests, the demo and the benchmarks, one package found
through PYTHONPATH=<source>/tests (set by tests/CMakeLists.txt for ctest, by
scripts/run.sh for the demo and by bench/run.sh for the benchmarks):
`from support import winelib`."""
import os
import runpy
import types

SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def source_module(path):
    """The functions and values of a script of the source tree outside this
    package (a deployer tool, a resource checker); path relative to the source."""
    return types.SimpleNamespace(**runpy.run_path(os.path.join(SOURCE, path)))
