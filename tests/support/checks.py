"""How a Python test without fixtures runs its cases: each case is a function
that raises AssertionError (check, check_equal) or any other error, and run()
hands them to unittest, the runner of the tests written as classes."""
import sys
import unittest


def check(condition, what):
    if not condition:
        raise AssertionError(what)


def check_equal(actual, expected, what):
    if actual != expected:
        raise AssertionError("%s: expected %r, got %r" % (what, expected, actual))


class Case(unittest.FunctionTestCase):
    def __str__(self):
        return self.id()


def run(cases, *args, only=(), tear_down=None):
    """Runs each case with args (only the cases named in `only` when it names
    any), each followed by tear_down, and returns the process exit status."""
    def bound(case):
        test = lambda: case(*args)  # noqa: E731
        test.__name__, test.__doc__ = case.__name__, case.__doc__
        return Case(test, tearDown=tear_down)
    suite = unittest.TestSuite(bound(c) for c in cases if not only or c.__name__ in only)
    result = unittest.TextTestRunner(stream=sys.stdout, verbosity=2).run(suite)
    return 0 if result.wasSuccessful() else 1
