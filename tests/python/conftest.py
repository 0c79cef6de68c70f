"""Paths the tests need, from the environment ctest gives them."""
import os
import pathlib
import subprocess

import pytest

SOURCE = pathlib.Path(os.environ.get("SWDE_SOURCE_DIR", pathlib.Path(__file__).parents[2]))


@pytest.fixture
def source():
    return SOURCE


@pytest.fixture
def tool():
    path = os.environ.get("SWDE_CHECK")
    if not path:
        pytest.skip("SWDE_CHECK (the swde-check program) not given")
    return path


def generated(tmp_path_factory, name, *options):
    """A document swde-gen writes with `options`, under a temporary directory of its own."""
    gen = os.environ.get("SWDE_GEN")
    if not gen:
        pytest.skip("SWDE_GEN (the swde-gen program) not given")
    path = tmp_path_factory.mktemp(name) / f"{name}.xml"
    subprocess.run([gen, *options, "--output", str(path)], check=True)
    return path
