"""Support of the Python tests, the demo and the benchmarks, one package found
through PYTHONPATH=<source>/tests (set by tests/CMakeLists.txt for ctest, by
scripts/run.sh for the demo and by bench/run.sh for the benchmarks):
`from support import winelib`."""
import importlib.util
import os
import sys

SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def source_module(path):
    """A script of the source tree outside this package (a deployer tool, a
    resource checker), path relative to the source, loaded as a module."""
    name = os.path.splitext(os.path.basename(path))[0]
    if name not in sys.modules:
        spec = importlib.util.spec_from_file_location(name, os.path.join(SOURCE, path))
        sys.modules[name] = importlib.util.module_from_spec(spec)
        spec.loader.exec_module(sys.modules[name])
    return sys.modules[name]
