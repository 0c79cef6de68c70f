"""Paths the tests need, from the environment ctest gives them."""
import os
import pathlib

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
