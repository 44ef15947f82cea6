select a
from t
