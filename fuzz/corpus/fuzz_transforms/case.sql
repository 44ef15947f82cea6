select ∂≈, √, ï\a, Ça from Tbl
Å